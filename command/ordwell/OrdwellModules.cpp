// The modules the executor loads by name, through the module-object layer.
#include "MomPtr.h"
#include "OrdwellParts.h"
#include "tillory/ITilloryModule.h"
#include "vessmar/IVessmarModule.h"

namespace {

IVessmarModule* OpenVessmarModule() { return OpenModuleT<IVessmarModule>("Vessmar"); }
ITilloryModule* OpenTilloryModule() { return OpenModuleT<ITilloryModule>("Tillory"); }

} // namespace

OrdwellModules DefaultOrdwellModules()
{
    OrdwellModules modules;
    modules.openVessmar = &OpenVessmarModule;
    modules.openTillory = &OpenTilloryModule;
    return modules;
}
