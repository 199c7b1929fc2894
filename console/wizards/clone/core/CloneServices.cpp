#include "CloneServices.h"

#include "ICensa.h"
#include "ITasque.h"
#include "vessmar/IVessmarModule.h"

namespace {
IVessmarModule* OpenVessmarByName()
{
    return OpenModuleT<IVessmarModule>("Vessmar");
}

CloneCommandFactory g_commandFactory = CreateTasqueObj;
CloneCensaSource g_censaSource = CreateCensaObj;
CloneVessmarOpener g_vessmarOpener = OpenVessmarByName;
} // namespace

ITasque* NewCloneCommand()
{
    return g_commandFactory();
}

ICensa* CloneCensa()
{
    return g_censaSource();
}

IVessmarModule* OpenCloneVessmar()
{
    return g_vessmarOpener();
}

void SetCloneCommandFactory(CloneCommandFactory factory)
{
    g_commandFactory = factory != nullptr ? factory : CreateTasqueObj;
}

void SetCloneCensaSource(CloneCensaSource source)
{
    g_censaSource = source != nullptr ? source : CreateCensaObj;
}

void SetCloneVessmarOpener(CloneVessmarOpener opener)
{
    g_vessmarOpener = opener != nullptr ? opener : OpenVessmarByName;
}
