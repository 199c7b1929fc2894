// The entry that the module-object layer calls after loading Tillory.mo.
#include "CTilloryModule.h"

extern "C" __attribute__((visibility("default"))) IModule* GetModule(void*)
{
    static CTilloryModule root;
    return &root;
}
