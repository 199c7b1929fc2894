// The entry that the module-object layer calls after loading Vessmar.mo.
#include "CVessmarModule.h"

extern "C" __attribute__((visibility("default"))) IModule* GetModule(void*)
{
    static CVessmarModule root;
    return &root;
}
