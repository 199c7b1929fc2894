// The library's only export: a new executor with engines of its own.
#include <new>

#include "COrdwell.h"
#include "ICensa.h"
#include "IKSBackup.h"
#include "IKSCheck.h"
#include "IKSRestore.h"

extern "C" KS_ORDWELL_EXPORT IOrdwell* CreateOrdwellObj()
{
    const OrdwellEngines engines = CreateOrdwellEngines();
    COrdwell* executor = new (std::nothrow) COrdwell(engines, DefaultOrdwellModules());
    if (executor == nullptr) {
        if (engines.backup != nullptr)
            engines.backup->Release();
        if (engines.restore != nullptr)
            engines.restore->Release();
        if (engines.check != nullptr)
            engines.check->Release();
    }
    return executor;
}
