// CreatePipe over pipe(2): each end is a device handle of the handle table.
#include "DeviceRegistry.h"
#include "FileObjects.h"
#include "HandleTable.h"
#include "PipeEnd.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <map>
#include <mutex>

using namespace ks_platform;

namespace {

std::mutex& InheritLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::map<HANDLE, std::weak_ptr<PipeEnd>>& Inheritable()
{
    static auto* ends = new std::map<HANDLE, std::weak_ptr<PipeEnd>>;
    return *ends;
}

// A write to a pipe without readers must fail, not end the process.
void IgnoreBrokenPipeSignal()
{
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

} // namespace

namespace ks_platform {

PipeEnd::~PipeEnd() { ::close(fd_); }

DWORD PipeEnd::Read(uint64_t, void* buffer, DWORD size, DWORD& done)
{
    done = 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n > 0) {
            done = static_cast<DWORD>(n);
            return ERROR_SUCCESS;
        }
        if (n == 0)
            return ERROR_BROKEN_PIPE;
        if (errno != EINTR)
            return ERROR_BROKEN_PIPE;
    }
}

DWORD PipeEnd::Write(uint64_t, const void* data, DWORD size, DWORD& done)
{
    done = 0;
    const char* bytes = static_cast<const char*>(data);
    while (done < size) {
        const ssize_t n = ::write(fd_, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno == EPIPE ? ERROR_NO_DATA : ERROR_WRITE_FAULT;
        }
        done += static_cast<DWORD>(n);
    }
    return ERROR_SUCCESS;
}

DWORD PipeEnd::Control(DWORD, const void*, DWORD, void*, DWORD, DWORD& returned)
{
    returned = 0;
    return ERROR_INVALID_FUNCTION;
}

HANDLE AddPipeHandle(int fd, bool inheritable)
{
    auto end = std::make_shared<PipeEnd>(fd);
    HANDLE handle = HandleTable::Instance().Add(std::make_shared<DeviceObject>(end, GENERIC_READ | GENERIC_WRITE));
    if (handle && inheritable) {
        std::lock_guard<std::mutex> guard(InheritLock());
        Inheritable()[handle] = end;
    }
    return handle;
}

int DescriptorOfHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> object = HandleTable::Instance().Find(handle);
    if (!object)
        return -1;
    if (object->Kind() == ObjectKind::File)
        return static_cast<FileObject*>(object.get())->fd.load();
    if (object->Kind() == ObjectKind::Device) {
        auto* end = dynamic_cast<PipeEnd*>(static_cast<DeviceObject*>(object.get())->device.get());
        return end ? end->Descriptor() : -1;
    }
    return -1;
}

std::vector<std::pair<HANDLE, int>> InheritableHandles()
{
    std::vector<std::pair<HANDLE, int>> handles;
    std::lock_guard<std::mutex> guard(InheritLock());
    for (auto it = Inheritable().begin(); it != Inheritable().end();) {
        std::shared_ptr<PipeEnd> end = it->second.lock();
        // A closed handle whose slot now holds another object is not the pipe's.
        std::shared_ptr<KernelObject> object = end ? HandleTable::Instance().Find(it->first) : nullptr;
        const bool same = object && object->Kind() == ObjectKind::Device &&
                          static_cast<DeviceObject*>(object.get())->device == end;
        if (!same) {
            it = Inheritable().erase(it);
            continue;
        }
        handles.emplace_back(it->first, end->Descriptor());
        ++it;
    }
    return handles;
}

} // namespace ks_platform

extern "C" BOOL WINAPI CreatePipe(PHANDLE readPipe, PHANDLE writePipe, LPSECURITY_ATTRIBUTES attributes, DWORD)
{
    if (!readPipe || !writePipe) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    IgnoreBrokenPipeSignal();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return FALSE;
    }
    const bool inheritable = attributes && attributes->bInheritHandle;
    HANDLE read = AddPipeHandle(fds[0], inheritable);
    if (!read) {
        ::close(fds[1]);
        return FALSE;
    }
    HANDLE write = AddPipeHandle(fds[1], inheritable);
    if (!write) {
        CloseHandle(read);
        return FALSE;
    }
    *readPipe = read;
    *writePipe = write;
    return TRUE;
}
