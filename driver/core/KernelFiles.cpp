// The container's file, memory and time calls over the port's native calls.
#include "KernelServices.h"

namespace zedisk {

namespace {

enum : uint32_t {
    ACCESS_DELETE = 0x00010000,
    ACCESS_SYNCHRONIZE = 0x00100000,
    ACCESS_READ_ATTRIBUTES = 0x00000080,
    ACCESS_GENERIC_READ = 0x80000000,
    ACCESS_GENERIC_WRITE = 0x40000000,

    FLAG_WRITE_THROUGH = 0x80000000,
    FLAG_NO_BUFFERING = 0x20000000,
    FLAG_RANDOM_ACCESS = 0x10000000,
    FLAG_DELETE_ON_CLOSE = 0x04000000,
    FLAG_BACKUP_SEMANTICS = 0x02000000,
    FLAG_OPEN_REPARSE_POINT = 0x00200000,
    FLAG_OPEN_NO_RECALL = 0x00100000,
    FILE_ATTRIBUTE_BITS = 0x00007FA7,

    OPTION_WRITE_THROUGH = 0x00000002,
    OPTION_NO_INTERMEDIATE_BUFFERING = 0x00000008,
    OPTION_SYNCHRONOUS_IO_NONALERT = 0x00000020,
    OPTION_RANDOM_ACCESS = 0x00000800,
    OPTION_DELETE_ON_CLOSE = 0x00001000,
    OPTION_OPEN_FOR_BACKUP_INTENT = 0x00004000,
    OPTION_OPEN_REPARSE_POINT = 0x00200000,
    OPTION_OPEN_NO_RECALL = 0x00400000,

    SHARE_READ = 1,
    SHARE_WRITE = 2,
};

// Win32 dispositions 1..5 as native ones.
constexpr uint32_t kNativeDisposition[6] = {0, 2 /*create*/, 5 /*overwrite if*/, 1 /*open*/, 3 /*open if*/,
                                            4 /*overwrite*/};

void FailWith(ZdStatus status) { ZdSetLastError(ZdPortStatusToWin32(status)); }

size_t WideLength(const wchar_t* text)
{
    size_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

// "\??\" before a path, "\??\UNC" before a path that starts with two backslashes
// (which keeps one of them). The buffer is the path's length plus 10 characters.
ZdWChar* NativePath(const wchar_t* path)
{
    const size_t length = WideLength(path);
    ZdWChar* out = static_cast<ZdWChar*>(ZdAllocateImage((length + 10) * sizeof(ZdWChar)));
    if (out == nullptr)
        return nullptr;
    const bool unc = path[0] == L'\\' && path[1] == L'\\';
    const char* prefix = unc ? "\\??\\UNC" : "\\??\\";
    size_t n = 0;
    while (*prefix != 0)
        out[n++] = static_cast<ZdWChar>(*prefix++);
    for (const wchar_t* p = unc ? path + 1 : path; *p != 0; ++p)
        out[n++] = static_cast<ZdWChar>(*p);
    out[n] = 0;
    return out;
}

uint32_t CreateOptions(uint32_t flags)
{
    uint32_t options = OPTION_RANDOM_ACCESS | OPTION_WRITE_THROUGH | OPTION_SYNCHRONOUS_IO_NONALERT;
    if (flags & FLAG_BACKUP_SEMANTICS)
        options |= OPTION_OPEN_FOR_BACKUP_INTENT;
    if (flags & FLAG_DELETE_ON_CLOSE)
        options |= OPTION_DELETE_ON_CLOSE;
    if (flags & FLAG_OPEN_REPARSE_POINT)
        options |= OPTION_OPEN_REPARSE_POINT;
    if (flags & FLAG_OPEN_NO_RECALL)
        options |= OPTION_OPEN_NO_RECALL;
    if (flags & FLAG_RANDOM_ACCESS)
        options |= OPTION_RANDOM_ACCESS;
    if (flags & FLAG_NO_BUFFERING)
        options |= OPTION_NO_INTERMEDIATE_BUFFERING;
    if (flags & FLAG_WRITE_THROUGH)
        options |= OPTION_WRITE_THROUGH;
    return options;
}

} // namespace

void* ZdAllocateImage(size_t bytes) { return ZdPortAllocate(bytes, ZD_TAG_IMAGE); }

void ZdFreeImage(void* block)
{
    if (block != nullptr)
        ZdPortFree(block, ZD_TAG_IMAGE);
}

void* ZdZlibAlloc(void*, unsigned items, unsigned size)
{
    const uint64_t bytes = static_cast<uint64_t>(items) * size;
    if (bytes == 0 || bytes > SIZE_MAX)
        return nullptr;
    return ZdAllocateImage(static_cast<size_t>(bytes));
}

void ZdZlibFree(void*, void* block) { ZdFreeImage(block); }

void* ZdCreateFile(const wchar_t* path, uint32_t access, uint32_t share, const ZdSecurityAttributes* security,
                   uint32_t disposition, uint32_t flags)
{
    if (path == nullptr || path[0] == 0 || disposition < 1 || disposition > 5) {
        ZdSetLastError(ZD_ERROR_INVALID_PARAMETER);
        return ZdInvalidHandle();
    }
    ZdWChar* native = NativePath(path);
    if (native == nullptr) {
        FailWith(ZD_STATUS_INSUFFICIENT_RESOURCES);
        return ZdInvalidHandle();
    }
    uint32_t desired = access | ACCESS_SYNCHRONIZE | ACCESS_READ_ATTRIBUTES;
    if (flags & FLAG_DELETE_ON_CLOSE)
        desired |= ACCESS_DELETE;
    uint32_t objectFlags = ZD_OBJ_CASE_INSENSITIVE;
    void* descriptor = nullptr;
    if (security != nullptr) {
        if (security->inheritHandle)
            objectFlags |= ZD_OBJ_INHERIT;
        descriptor = security->securityDescriptor;
    }
    ZdPortFile file = nullptr;
    const ZdStatus status = ZdPortCreateFile(&file, native, desired, objectFlags, descriptor,
                                             flags & FILE_ATTRIBUTE_BITS, share, kNativeDisposition[disposition],
                                             CreateOptions(flags));
    ZdFreeImage(native);
    if (!ZdSucceeded(status)) {
        FailWith(status);
        return ZdInvalidHandle();
    }
    return file;
}

int ZdCloseHandle(void* handle)
{
    const ZdStatus status = ZdPortClose(handle);
    if (!ZdSucceeded(status)) {
        FailWith(status);
        return 0;
    }
    return 1;
}

namespace {

// Reads and writes share their shape: nothing to do for length 0, the request's
// offset or the current position, the statuses that count as success, the bytes
// moved reported only when the call did not pend.
int MoveBytes(bool write, void* handle, void* buffer, uint32_t length, uint32_t* moved, const uint64_t* offset)
{
    if (moved != nullptr)
        *moved = 0;
    if (length == 0)
        return 1;
    int64_t at = 0;
    if (offset != nullptr)
        at = static_cast<int64_t>(*offset);
    const int64_t* where = offset != nullptr ? &at : nullptr;
    uint32_t done = 0;
    const ZdStatus status = write ? ZdPortWriteFile(handle, buffer, length, where, &done)
                                  : ZdPortReadFile(handle, buffer, length, where, &done);
    const bool ok = write ? (status == ZD_STATUS_SUCCESS || status == 1460)
                          : (status == ZD_STATUS_SUCCESS || status == ZD_STATUS_TIMEOUT ||
                             status == ZD_STATUS_END_OF_FILE);
    if (!ok) {
        FailWith(status);
        return 0;
    }
    if (moved != nullptr && status != ZD_STATUS_PENDING)
        *moved = done;
    return 1;
}

} // namespace

int ZdReadFile(void* handle, void* buffer, uint32_t length, uint32_t* read, const uint64_t* offset)
{
    return MoveBytes(false, handle, buffer, length, read, offset);
}

int ZdWriteFile(void* handle, const void* data, uint32_t length, uint32_t* written, const uint64_t* offset)
{
    return MoveBytes(true, handle, const_cast<void*>(data), length, written, offset);
}

int ZdSetFilePointerEx(void* handle, int64_t distance, int64_t* newPosition, uint32_t method)
{
    uint64_t base = 0;
    ZdStatus status = ZD_STATUS_SUCCESS;
    if (method == ZD_FILE_CURRENT)
        status = ZdPortQueryFile(handle, ZD_FILE_INFO_POSITION, &base);
    else if (method == ZD_FILE_END)
        status = ZdPortQueryFile(handle, ZD_FILE_INFO_STANDARD, &base);
    else if (method != ZD_FILE_BEGIN)
        status = ZD_STATUS_INVALID_PARAMETER;
    const int64_t position = static_cast<int64_t>(base) + distance;
    if (ZdSucceeded(status) && position < 0)
        status = ZD_STATUS_INVALID_PARAMETER;
    if (ZdSucceeded(status))
        status = ZdPortSetFile(handle, ZD_FILE_INFO_POSITION, static_cast<uint64_t>(position));
    if (!ZdSucceeded(status)) {
        FailWith(status);
        return 0;
    }
    if (newPosition != nullptr)
        *newPosition = position;
    return 1;
}

int ZdGetFileSizeEx(void* handle, int64_t* size)
{
    uint64_t end = 0;
    const ZdStatus status = ZdPortQueryFile(handle, ZD_FILE_INFO_STANDARD, &end);
    if (!ZdSucceeded(status)) {
        FailWith(status);
        return 0;
    }
    *size = static_cast<int64_t>(end);
    return 1;
}

int ZdSetEndOfFile(void* handle)
{
    uint64_t position = 0;
    ZdStatus status = ZdPortQueryFile(handle, ZD_FILE_INFO_POSITION, &position);
    if (ZdSucceeded(status))
        status = ZdPortSetFile(handle, ZD_FILE_INFO_END_OF_FILE, position);
    if (!ZdSucceeded(status)) {
        FailWith(status);
        return 0;
    }
    return 1;
}

int ZdDeleteFile(const wchar_t* path)
{
    void* file = ZdCreateFile(path, ACCESS_GENERIC_READ | ACCESS_GENERIC_WRITE, SHARE_READ | SHARE_WRITE, nullptr,
                              3, FLAG_DELETE_ON_CLOSE);
    if (file == ZdInvalidHandle())
        return 0;
    const ZdStatus status = ZdPortSetFile(file, ZD_FILE_INFO_DISPOSITION, 1);
    const int closed = ZdCloseHandle(file);
    if (!ZdSucceeded(status)) {
        FailWith(status);
        return 0;
    }
    return closed;
}

uint32_t ZdGetTickCount() { return static_cast<uint32_t>(ZdPortTickCount()); }

void ZdGetSystemTime(ZdSystemTime* time)
{
    ZdTimeFields fields;
    ZdPortTimeToFields(ZdPortSystemTime(), &fields);
    time->year = static_cast<uint16_t>(fields.Year);
    time->month = static_cast<uint16_t>(fields.Month);
    time->dayOfWeek = static_cast<uint16_t>(fields.Weekday);
    time->day = static_cast<uint16_t>(fields.Day);
    time->hour = static_cast<uint16_t>(fields.Hour);
    time->minute = static_cast<uint16_t>(fields.Minute);
    time->second = static_cast<uint16_t>(fields.Second);
    time->milliseconds = static_cast<uint16_t>(fields.Milliseconds);
}

int ZdSystemTimeToFileTime(const ZdSystemTime* time, uint64_t* fileTime)
{
    ZdTimeFields fields;
    fields.Year = static_cast<int16_t>(time->year);
    fields.Month = static_cast<int16_t>(time->month);
    fields.Weekday = static_cast<int16_t>(time->dayOfWeek);
    fields.Day = static_cast<int16_t>(time->day);
    fields.Hour = static_cast<int16_t>(time->hour);
    fields.Minute = static_cast<int16_t>(time->minute);
    fields.Second = static_cast<int16_t>(time->second);
    fields.Milliseconds = static_cast<int16_t>(time->milliseconds);
    int64_t value = 0;
    if (!ZdPortFieldsToTime(&fields, &value))
        return 0;
    *fileTime = static_cast<uint64_t>(value);
    return 1;
}

} // namespace zedisk
