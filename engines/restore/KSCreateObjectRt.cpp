// The module's only export: makes a restore engine.
#include <new>

#include "CRestore.h"
#include "KSResult.h"

extern "C" __attribute__((visibility("default"))) unsigned long KSCreateObjectRt(unsigned long, unsigned long kind,
                                                                                  void** out)
{
    if (out == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    if (kind != KS_RESTORE_KIND)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_WRONG_OBJECT);
    CRestore* engine = new (std::nothrow) CRestore(DefaultRestoreServices());
    if (engine == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_NO_MEMORY);
    *out = static_cast<IKSRestore*>(engine);
    return 0;
}
