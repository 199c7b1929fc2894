#include <new>

#include "CDevIO.h"
#include "KSResult.h"

extern "C" __attribute__((visibility("default"))) unsigned long KSCreateObjectDevIO(unsigned long version,
                                                                                    unsigned long kind, void** out)
{
    if (out == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    *out = nullptr;
    if (version > KS_DEVIO_VERSION)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_VERSION_TOO_NEW);
    if (kind != KS_DEVIO_KIND)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_WRONG_OBJECT);
    CDevIO* device = new (std::nothrow) CDevIO();
    if (device == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY);
    *out = static_cast<IKSDevIO*>(device);
    return 0;
}
