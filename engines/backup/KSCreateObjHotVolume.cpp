#include <new>

#include "CVolumeItem.h"
#include "KSResult.h"

extern "C" __attribute__((visibility("default"))) unsigned long KSCreateObjHotVolume(unsigned long version,
                                                                                     unsigned long kind, void** out)
{
    if (out == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    *out = nullptr;
    if (version > 1000)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_VERSION_TOO_NEW);
    if (kind != KS_HOT_VOLUME_KIND)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_WRONG_OBJECT);
    CVolumeItem* volume = new (std::nothrow) CVolumeItem();
    if (volume == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY);
    *out = static_cast<IKSVolume*>(volume);
    return 0;
}
