// The object's life: the module's count of live objects, and the disk-access service
// started with each object.
#include "Palmet.h"

#include "KSResult.h"
#include "MountKinds.h"
#include "VolumeUtils.h"

#include <atomic>
#include <new>

namespace {

std::atomic<long> palmetObjects{0};

} // namespace

#if defined(_WIN32)
#define KS_MOUNT_EXPORT
#else
#define KS_MOUNT_EXPORT __attribute__((visibility("default")))
#endif

Palmet::Palmet()
{
    StartDiskAccessService();   // the disks' devices come from it; its answer does not matter here
}

unsigned long Palmet::Release()
{
    delete this;
    --palmetObjects;
    return 0;
}

long Palmet::LiveObjects()
{
    return palmetObjects.load();
}

extern "C" KS_MOUNT_EXPORT unsigned long KSCreateObjectMount(unsigned long version, unsigned long kind, void** out)
{
    if (out == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kBadArgument);
    *out = nullptr;
    if (version > 0x10000)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kVersionTooNew);
    if (kind != KS_MOUNT_KIND)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kWrongObject);
    Palmet* object = new (std::nothrow) Palmet();
    if (object == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kNoMemory);
    ++palmetObjects;
    *out = static_cast<IKSMount*>(object);
    return 0;
}
