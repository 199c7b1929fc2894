// The entry that the module-object layer calls after loading Common.mo.
#include "CCommonModule.h"

extern "C" __attribute__((visibility("default"))) IModule* GetModule(void*)
{
    static CCommonModule root;
    return &root;
}
