#include <new>

#include "IBackup.h"
#include "KSResult.h"

extern "C" __attribute__((visibility("default"))) unsigned long KSCreateObjectBk(unsigned long version,
                                                                                 unsigned long kind, void** out)
{
    if (out == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    *out = nullptr;
    if (version > 1000)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_VERSION_TOO_NEW);
    if (kind != KS_BACKUP_KIND)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_WRONG_OBJECT);
    IBackup* backup = new (std::nothrow) IBackup();
    if (backup == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY);
    *out = static_cast<IKSBackup*>(backup);
    return 0;
}
