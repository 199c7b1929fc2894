// The mount engine: presents an image volume as a disk with a drive letter. Declared
// for the command channel, which holds a pointer to one; the engine itself is not
// built yet, so that pointer stays null and its commands answer "engine missing".
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

protected:
    ~IKSMount() {}
};

enum : unsigned long {
    KS_MOUNT_KIND = 9,
};

extern "C" unsigned long KSCreateObjectMount(unsigned long version, unsigned long kind, void** out);
