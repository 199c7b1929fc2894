// What every part of the bus driver's core shares: status values, pool tags, the
// byte helpers it uses in place of the C++ library, and pool-backed new and delete.
// The core is freestanding: no operating-system header, no exceptions, no RTTI.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "ZeDiskCodes.h"
#include "ZeDiskPort.h"

namespace zedisk {

enum : ZdStatus {
    ZD_STATUS_WMI_GUID_NOT_FOUND = static_cast<ZdStatus>(0xC0000295),
    ZD_STATUS_WMI_INSTANCE_NOT_FOUND = static_cast<ZdStatus>(0xC0000296),
};

inline bool ZdSucceeded(ZdStatus status) { return status >= 0; }

// Pool tags, as the pool shows them: "bimg" for the image container and zlib,
// "FBus" for the driver's own blocks.
enum : uint32_t {
    ZD_TAG_IMAGE = 0x676D6962,
    ZD_TAG_BUS = 0x73754246,
};

inline void ZdCopy(void* to, const void* from, size_t bytes) { __builtin_memcpy(to, from, bytes); }
inline void ZdZero(void* to, size_t bytes) { __builtin_memset(to, 0, bytes); }
inline bool ZdSame(const void* a, const void* b, size_t bytes) { return __builtin_memcmp(a, b, bytes) == 0; }

inline uint32_t ZdLoad32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t ZdLoad64(const uint8_t* p)
{
    return static_cast<uint64_t>(ZdLoad32(p)) | (static_cast<uint64_t>(ZdLoad32(p + 4)) << 32);
}
inline void ZdStore16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void ZdStore32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void ZdStoreBE32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
inline uint32_t ZdLoadBE32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
inline uint16_t ZdLoadBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// Objects of the core come from the non-paged pool under the driver's tag; a
// failed allocation is a null result, never an exception.
struct ZdPoolObject {
    static void* operator new(size_t bytes) noexcept { return ZdPortAllocate(bytes, ZD_TAG_BUS); }
    static void operator delete(void* block) noexcept
    {
        if (block != nullptr)
            ZdPortFree(block, ZD_TAG_BUS);
    }
};

// A lock held for one scope.
template <typename Lock, void (*Acquire)(Lock*), void (*Release)(Lock*)>
class ZdHeld {
public:
    explicit ZdHeld(Lock* lock) : lock_(lock) { Acquire(lock_); }
    ~ZdHeld() { Release(lock_); }
    ZdHeld(const ZdHeld&) = delete;
    ZdHeld& operator=(const ZdHeld&) = delete;

private:
    Lock* lock_;
};
using ZdMutexHeld = ZdHeld<ZdPortMutex, ZdPortMutexAcquire, ZdPortMutexRelease>;
using ZdLockHeld = ZdHeld<ZdPortLock, ZdPortLockAcquire, ZdPortLockRelease>;

} // namespace zedisk
