#include "CDeviceTree.h"

#include "ICensa.h"
#include "KSResult.h"

unsigned long CDeviceTree::Open()
{
    IVessmarModule* module = OpenModuleT<IVessmarModule>(kModuleName);
    if (module == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_ERR_NO_MODULE);
    manager_ = module->GetManager();
    if (manager_ == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_ERR_NO_MANAGER);
    return 0;
}
