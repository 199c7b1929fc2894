// The native file calls over POSIX: "\??\X:\..." names a file through the platform
// layer's drive table; the calling thread's identity must be allowed to open it.
#include "FakeObjects.h"

#include "KSPlatformControl.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wdk {
bool IdentityDenied(const std::string& hostPath);
}

namespace {

enum : ZdStatus {
    ZW_SUCCESS = 0,
    ZW_END_OF_FILE = static_cast<ZdStatus>(0xC0000011),
    ZW_INVALID_PARAMETER = static_cast<ZdStatus>(0xC000000D),
    ZW_INVALID_HANDLE = static_cast<ZdStatus>(0xC0000008),
    ZW_ACCESS_DENIED = static_cast<ZdStatus>(0xC0000022),
    ZW_NAME_NOT_FOUND = static_cast<ZdStatus>(0xC0000034),
    ZW_NAME_COLLISION = static_cast<ZdStatus>(0xC0000035),
    ZW_PATH_NOT_FOUND = static_cast<ZdStatus>(0xC000003A),
    ZW_DISK_FULL = static_cast<ZdStatus>(0xC000007F),
    ZW_IO_ERROR = static_cast<ZdStatus>(0xC0000185),
};

enum : uint32_t {
    NT_FILE_OPEN = 1, NT_FILE_CREATE = 2, NT_FILE_OPEN_IF = 3, NT_FILE_OVERWRITE = 4, NT_FILE_OVERWRITE_IF = 5,
    NT_DELETE_ON_CLOSE = 0x1000,
    NT_WRITE_ACCESS = 0x40000000 | 0x0002 | 0x0004,   // generic write, write data, append data
};

struct ZwFile {
    int fd = -1;
    uint64_t position = 0;
    std::string hostPath;
    bool deleteOnClose = false;
};

struct CreateRecord {
    std::mutex lock;
    wdk::CreateCall last;
    int open = 0;
};

CreateRecord& Creates()
{
    static CreateRecord record;
    return record;
}

ZdStatus FromErrno(int error)
{
    switch (error) {
    case ENOENT: return ZW_NAME_NOT_FOUND;
    case ENOTDIR: return ZW_PATH_NOT_FOUND;
    case EEXIST: return ZW_NAME_COLLISION;
    case EACCES:
    case EPERM: return ZW_ACCESS_DENIED;
    case ENOSPC: return ZW_DISK_FULL;
    default: return ZW_IO_ERROR;
    }
}

// "\??\X:\a\b" to the host path the drive table gives; empty when it names none.
// "\??\/a/b" names the host's "/a/b": the platform layer passes such paths on
// unchanged, so what user mode opened by that name the kernel opens too.
std::string HostPathOf(const ZdWChar* path)
{
    std::wstring wide;
    for (const ZdWChar* p = path; *p != 0; ++p)
        wide.push_back(static_cast<wchar_t>(*p));
    if (wide.compare(0, 4, L"\\??\\") != 0)
        return std::string();
    wide.erase(0, 4);
    const bool hostPath = !wide.empty() && wide[0] == L'/';
    if (!hostPath && (wide.size() < 2 || wide[1] != L':'))
        return std::string();
    return KSPlatformHostPath(wide.c_str());
}

} // namespace

extern "C" {

ZdStatus ZdPortCreateFile(ZdPortFile* file, const ZdWChar* path, uint32_t access, uint32_t objectFlags, void*,
                          uint32_t attributes, uint32_t share, uint32_t disposition, uint32_t options)
{
    *file = nullptr;
    {
        std::lock_guard<std::mutex> guard(Creates().lock);
        wdk::CreateCall& call = Creates().last;
        call.path = path;
        call.access = access;
        call.objectFlags = objectFlags;
        call.attributes = attributes;
        call.share = share;
        call.disposition = disposition;
        call.options = options;
    }
    const std::string host = HostPathOf(path);
    if (host.empty())
        return ZW_PATH_NOT_FOUND;
    if (wdk::IdentityDenied(host))
        return ZW_ACCESS_DENIED;
    int flags = O_CLOEXEC | ((access & NT_WRITE_ACCESS) != 0 ? O_RDWR : O_RDONLY);
    switch (disposition) {
    case NT_FILE_OPEN: break;
    case NT_FILE_CREATE: flags |= O_CREAT | O_EXCL; break;
    case NT_FILE_OPEN_IF: flags |= O_CREAT; break;
    case NT_FILE_OVERWRITE: flags |= O_TRUNC; break;
    case NT_FILE_OVERWRITE_IF: flags |= O_CREAT | O_TRUNC; break;
    default: return ZW_INVALID_PARAMETER;
    }
    if ((flags & O_TRUNC) != 0 && (flags & O_RDWR) == 0)
        flags = (flags & ~O_RDONLY) | O_RDWR;
    const int fd = open(host.c_str(), flags, 0644);
    if (fd < 0)
        return FromErrno(errno);
    ZwFile* opened = new ZwFile;
    opened->fd = fd;
    opened->hostPath = host;
    opened->deleteOnClose = (options & NT_DELETE_ON_CLOSE) != 0;
    *file = opened;
    {
        std::lock_guard<std::mutex> guard(Creates().lock);
        ++Creates().open;
    }
    return ZW_SUCCESS;
}

ZdStatus ZdPortReadFile(ZdPortFile file, void* buffer, uint32_t length, const int64_t* offset, uint32_t* done)
{
    ZwFile* f = static_cast<ZwFile*>(file);
    if (f == nullptr)
        return ZW_INVALID_HANDLE;
    const uint64_t at = offset != nullptr ? static_cast<uint64_t>(*offset) : f->position;
    const ssize_t got = pread(f->fd, buffer, length, static_cast<off_t>(at));
    if (got < 0)
        return FromErrno(errno);
    *done = static_cast<uint32_t>(got);
    f->position = at + static_cast<uint64_t>(got);
    return got == 0 ? ZW_END_OF_FILE : ZW_SUCCESS;
}

ZdStatus ZdPortWriteFile(ZdPortFile file, const void* data, uint32_t length, const int64_t* offset,
                         uint32_t* done)
{
    ZwFile* f = static_cast<ZwFile*>(file);
    if (f == nullptr)
        return ZW_INVALID_HANDLE;
    const uint64_t at = offset != nullptr ? static_cast<uint64_t>(*offset) : f->position;
    const ssize_t put = pwrite(f->fd, data, length, static_cast<off_t>(at));
    if (put < 0)
        return FromErrno(errno);
    *done = static_cast<uint32_t>(put);
    f->position = at + static_cast<uint64_t>(put);
    return ZW_SUCCESS;
}

ZdStatus ZdPortQueryFile(ZdPortFile file, uint32_t infoClass, uint64_t* value)
{
    ZwFile* f = static_cast<ZwFile*>(file);
    if (f == nullptr)
        return ZW_INVALID_HANDLE;
    if (infoClass == ZD_FILE_INFO_POSITION) {
        *value = f->position;
        return ZW_SUCCESS;
    }
    if (infoClass == ZD_FILE_INFO_STANDARD) {
        struct stat st;
        if (fstat(f->fd, &st) != 0)
            return FromErrno(errno);
        *value = static_cast<uint64_t>(st.st_size);
        return ZW_SUCCESS;
    }
    return ZW_INVALID_PARAMETER;
}

ZdStatus ZdPortSetFile(ZdPortFile file, uint32_t infoClass, uint64_t value)
{
    ZwFile* f = static_cast<ZwFile*>(file);
    if (f == nullptr)
        return ZW_INVALID_HANDLE;
    switch (infoClass) {
    case ZD_FILE_INFO_POSITION:
        f->position = value;
        return ZW_SUCCESS;
    case ZD_FILE_INFO_END_OF_FILE:
        return ftruncate(f->fd, static_cast<off_t>(value)) == 0 ? ZW_SUCCESS : FromErrno(errno);
    case ZD_FILE_INFO_DISPOSITION:
        f->deleteOnClose = value != 0;
        return ZW_SUCCESS;
    default:
        return ZW_INVALID_PARAMETER;
    }
}

ZdStatus ZdPortClose(ZdPortFile file)
{
    ZwFile* f = static_cast<ZwFile*>(file);
    if (f == nullptr)
        return ZW_INVALID_HANDLE;
    close(f->fd);
    if (f->deleteOnClose)
        unlink(f->hostPath.c_str());
    delete f;
    {
        std::lock_guard<std::mutex> guard(Creates().lock);
        --Creates().open;
    }
    return ZW_SUCCESS;
}

uint32_t ZdPortStatusToWin32(ZdStatus status)
{
    switch (status) {
    case ZW_SUCCESS: return 0;
    case ZW_NAME_NOT_FOUND: return 2;       // ERROR_FILE_NOT_FOUND
    case ZW_PATH_NOT_FOUND: return 3;       // ERROR_PATH_NOT_FOUND
    case ZW_ACCESS_DENIED: return 5;        // ERROR_ACCESS_DENIED
    case ZW_INVALID_HANDLE: return 6;       // ERROR_INVALID_HANDLE
    case static_cast<ZdStatus>(0xC000009A): return 8;   // ERROR_NOT_ENOUGH_MEMORY
    case ZW_END_OF_FILE: return 38;         // ERROR_HANDLE_EOF
    case ZW_INVALID_PARAMETER: return 87;   // ERROR_INVALID_PARAMETER
    case ZW_DISK_FULL: return 112;          // ERROR_DISK_FULL
    case ZW_NAME_COLLISION: return 183;     // ERROR_ALREADY_EXISTS
    default: return 1117;                   // ERROR_IO_DEVICE
    }
}

} // extern "C"

namespace wdk {

CreateCall LastCreate()
{
    std::lock_guard<std::mutex> guard(Creates().lock);
    return Creates().last;
}

int OpenFiles()
{
    std::lock_guard<std::mutex> guard(Creates().lock);
    return Creates().open;
}

} // namespace wdk
