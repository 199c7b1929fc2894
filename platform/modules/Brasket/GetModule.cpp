// The entry that the module-object layer calls after loading Brasket.mo.
#include "CBrasketModule.h"

extern "C" __attribute__((visibility("default"))) IModule* GetModule(void*)
{
    static CBrasketModule root;
    return &root;
}
