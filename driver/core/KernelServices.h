// The file, memory and time services the image container is written against,
// supplied in kernel mode over the port's native file calls. Each keeps the
// arguments and results of the user-mode call whose name it carries.
#pragma once

#include "CoreBase.h"

namespace zedisk {

// The invalid handle value CreateFile returns.
inline void* ZdInvalidHandle() { return reinterpret_cast<void*>(static_cast<intptr_t>(-1)); }

struct ZdSecurityAttributes {
    uint32_t length;
    void* securityDescriptor;
    int inheritHandle;
};

// The eight fields of a system time, in their usual order.
struct ZdSystemTime {
    uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

enum : uint32_t {
    ZD_ERROR_INVALID_PARAMETER = 87,
    ZD_FILE_BEGIN = 0,
    ZD_FILE_CURRENT = 1,
    ZD_FILE_END = 2,
};

void* ZdAllocateImage(size_t bytes);
void ZdFreeImage(void* block);
// zlib's allocation hooks.
void* ZdZlibAlloc(void* opaque, unsigned items, unsigned size);
void ZdZlibFree(void* opaque, void* block);

void* ZdCreateFile(const wchar_t* path, uint32_t access, uint32_t share, const ZdSecurityAttributes* security,
                   uint32_t disposition, uint32_t flags);
int ZdCloseHandle(void* handle);
// offset null: the current position.
int ZdReadFile(void* handle, void* buffer, uint32_t length, uint32_t* read, const uint64_t* offset);
int ZdWriteFile(void* handle, const void* data, uint32_t length, uint32_t* written, const uint64_t* offset);
int ZdSetFilePointerEx(void* handle, int64_t distance, int64_t* newPosition, uint32_t method);
int ZdGetFileSizeEx(void* handle, int64_t* size);
int ZdSetEndOfFile(void* handle);
int ZdDeleteFile(const wchar_t* path);
uint32_t ZdGetTickCount();
void ZdGetSystemTime(ZdSystemTime* time);
int ZdSystemTimeToFileTime(const ZdSystemTime* time, uint64_t* fileTime);

// The last error, one per worker thread: each worker attaches a slot of its own
// while it runs; other threads share one.
uint32_t ZdGetLastError();
void ZdSetLastError(uint32_t error);
void LastErrorAttach();
void LastErrorDetach();

} // namespace zedisk
