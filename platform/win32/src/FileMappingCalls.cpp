// File mappings over mmap: a mapping sizes its file (ftruncate leaves the new part
// sparse), a view is a MAP_SHARED mapping of the file's bytes, and the process-wide
// view table lets UnmapViewOfFile find a view's length from its address.
#include "FileMappingObject.h"
#include "FileObjects.h"
#include "HandleTable.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

using namespace ks_platform;

namespace {

struct MappedViews {
    std::mutex lock;
    std::map<const void*, size_t> lengths; // by the address MapViewOfFile gave
};

MappedViews& Views()
{
    // Never destroyed: a thread may unmap while the process ends.
    static MappedViews* views = new MappedViews;
    return *views;
}

bool ProtectionWritable(DWORD protect, bool& writable)
{
    switch (protect & 0xFFu) {
    case PAGE_READONLY:
        writable = false;
        return true;
    case PAGE_READWRITE:
        writable = true;
        return true;
    default:
        return false;
    }
}

} // namespace

extern "C" HANDLE WINAPI CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD maximumSizeHigh,
                                            DWORD maximumSizeLow, LPCWSTR /*name*/)
{
    std::shared_ptr<KernelObject> object = HandleTable::Instance().FindKind(file, ObjectKind::File);
    if (!object)
        return nullptr;
    bool writable = false;
    if (!ProtectionWritable(protect, writable)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const int fd = static_cast<FileObject*>(object.get())->fd.load();
    struct stat status {};
    if (fd == -1 || ::fstat(fd, &status) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (writable && (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    uint64_t size = (static_cast<uint64_t>(maximumSizeHigh) << 32) | maximumSizeLow;
    if (size == 0)
        size = static_cast<uint64_t>(status.st_size);
    if (size == 0) {
        SetLastError(ERROR_FILE_INVALID);
        return nullptr;
    }
    if (size > static_cast<uint64_t>(status.st_size)) {
        // Windows grows the file to the section's size; here the new part stays a hole.
        if (!writable) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
            SetLastError(ERROR_DISK_FULL);
            return nullptr;
        }
    }
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own == -1) {
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return nullptr;
    }
    return HandleTable::Instance().Add(std::make_shared<FileMappingObject>(own, size, writable));
}

extern "C" LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes)
{
    std::shared_ptr<FileMappingObject> section =
        HandleTable::Instance().FindAs<FileMappingObject>(mapping, ObjectKind::FileMapping);
    if (!section)
        return nullptr;
    const uint64_t offset = (static_cast<uint64_t>(offsetHigh) << 32) | offsetLow;
    if (offset % KS_ALLOCATION_GRANULARITY != 0) {
        SetLastError(ERROR_MAPPED_ALIGNMENT);
        return nullptr;
    }
    const bool wantsWrite = (access & (FILE_MAP_WRITE | FILE_MAP_COPY)) != 0;
    if (offset >= section->size || (bytes != 0 && bytes > section->size - offset) || (wantsWrite && !section->writable)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const size_t length = bytes != 0 ? bytes : static_cast<size_t>(section->size - offset);
    const int protection = wantsWrite ? PROT_READ | PROT_WRITE : PROT_READ;
    void* view = ::mmap(nullptr, length, protection, MAP_SHARED, section->fd, static_cast<off_t>(offset));
    if (view == MAP_FAILED) {
        SetLastError(errno == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_ACCESS_DENIED);
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(Views().lock);
    Views().lengths[view] = length;
    return view;
}

extern "C" BOOL WINAPI UnmapViewOfFile(LPCVOID address)
{
    size_t length = 0;
    {
        std::lock_guard<std::mutex> guard(Views().lock);
        auto found = Views().lengths.find(address);
        if (found == Views().lengths.end()) {
            SetLastError(ERROR_INVALID_ADDRESS);
            return FALSE;
        }
        length = found->second;
        Views().lengths.erase(found);
    }
    ::munmap(const_cast<void*>(address), length);
    return TRUE;
}
