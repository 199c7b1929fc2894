// The mount engine: presents an image volume as a disk with a drive letter. The
// command channel holds a pointer to one for its mount commands.
#pragma once

#include "KSVolume.h"

class IKSMount {
public:
    virtual unsigned long Release() = 0;
    // letter: index from A (0..25); password may be null.
    virtual unsigned long MountImage(wchar_t* image, _KS_VOLUME* volume, unsigned long letter,
                                     wchar_t* password) = 0;
    virtual unsigned long UnmountImage(unsigned long letterMask) = 0;
    virtual unsigned long EjectImage(unsigned long letterMask) = 0;
    // count: in, the entries the buffer holds; out, the entries filled.
    virtual unsigned long GetMountedDisks(void* entries, uint32_t* count) = 0;
    // Installs the bus driver from the driver package in folder; the second argument
    // is accepted and not used.
    virtual unsigned long InstallDriver(const wchar_t* folder, unsigned long unused) = 0;
    virtual unsigned long RemoveDriver(const wchar_t* folder) = 0;

protected:
    ~IKSMount() {}
};

enum : unsigned long {
    KS_MOUNT_KIND = 9,
};

extern "C" unsigned long KSCreateObjectMount(unsigned long version, unsigned long kind, void** out);
