#include "CloneServices.h"

#include "ICensa.h"
#include "MomPtr.h"
#include "vessmar/FileSystemType.h"
#include "ITasque.h"
#include "vessmar/IVessmarModule.h"

namespace {
IVessmarModule* OpenVessmarByName()
{
    return OpenModuleT<IVessmarModule>("Vessmar");
}

bool ModuleAnswers(const char* name)
{
    IModule* root = OpenModuleEx(name);
    char key[2 * kMomMaxModuleName];
    return root != nullptr && MomModuleInterfaceName(name, key, sizeof key) && root->GetInterface(key) != nullptr;
}

CloneCommandFactory g_commandFactory = CreateTasqueObj;
CloneCensaSource g_censaSource = CreateCensaObj;
CloneVessmarOpener g_vessmarOpener = OpenVessmarByName;
CloneModuleProbe g_moduleProbe = ModuleAnswers;
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

std::vector<const char*> CloneRunModules(const std::vector<AddPartitionParam>& partitions)
{
    for (const AddPartitionParam& p : partitions)
        if (p.FileSystem == FILE_SYSTEM_FAT16 || p.FileSystem == FILE_SYSTEM_FAT32)
            return {"Brasket"};
    return {};
}

bool CloneModuleLoads(const char* name)
{
    return g_moduleProbe(name);
}

void SetCloneModuleProbe(CloneModuleProbe probe)
{
    g_moduleProbe = probe != nullptr ? probe : ModuleAnswers;
}
