// The mount engine's object: shows an image volume as a disk of the virtual-disk bus
// with the drive letter the caller chose, unplugs and ejects such disks and lists
// them. It holds no state; every call opens what it needs and closes it again.
#pragma once

#include "IKSMount.h"

class Palmet final : public IKSMount {
public:
    Palmet();
    unsigned long Release() override;
    unsigned long MountImage(wchar_t* image, _KS_VOLUME* volume, unsigned long letter, wchar_t* password) override;
    unsigned long UnmountImage(unsigned long letterMask) override;
    unsigned long EjectImage(unsigned long letterMask) override;
    unsigned long GetMountedDisks(void* entries, uint32_t* count) override;
    unsigned long InstallDriver(const wchar_t* folder, unsigned long unused) override;
    unsigned long RemoveDriver(const wchar_t* folder) override;

    // Objects alive in the module.
    static long LiveObjects();

private:
    ~Palmet() = default;
};
