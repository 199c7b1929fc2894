// The Win32 entry points that take or give a file handle, over the handle table:
// files by their descriptors (the container's layer does the work), "\\.\NAME"
// devices through the device registry.
#include "DeviceRegistry.h"
#include "FileObjects.h"
#include "HandleTable.h"
#include "Win32Layer.h"

#include <unistd.h>

#include <cwchar>

using namespace ks_platform;

namespace ks_platform {

FileObject::~FileObject()
{
    const int open = fd.exchange(-1);
    if (open != -1)
        ::close(open);
}

} // namespace ks_platform

namespace {

bool IsDevicePath(const wchar_t* path)
{
    if (!path || path[0] != L'\\' || path[1] != L'\\' || (path[2] != L'.' && path[2] != L'?') ||
        path[3] != L'\\')
        return false;
    if (path[2] == L'.')
        return true;
    // "\\?\NAME" names a device as "\\.\NAME" does (device interface paths come so),
    // unless NAME starts with a drive: "\\?\X:\..." is a file path.
    return path[2] == L'?' && path[4] != 0 && path[5] != L':';
}

thread_local DWORD deviceOpenDisposition = 0;

HANDLE OpenDevice(const wchar_t* name, DWORD access, DWORD disposition)
{
    std::string narrow;
    for (const wchar_t* c = name; *c; ++c) {
        if (*c > 0x7F) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        narrow += static_cast<char>(*c);
    }
    DWORD error = ERROR_SUCCESS;
    deviceOpenDisposition = disposition;
    std::shared_ptr<KSDevice> device = DeviceRegistry::Instance().Open(narrow, access, error);
    deviceOpenDisposition = 0;
    if (!device) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = HandleTable::Instance().Add(std::make_shared<DeviceObject>(std::move(device), access));
    return handle ? handle : INVALID_HANDLE_VALUE;
}

// The descriptor of a file handle, the device of a device handle; other handles fail
// with ERROR_INVALID_HANDLE.
struct Target {
    std::shared_ptr<KernelObject> object;
    FileObject* file = nullptr;
    DeviceObject* device = nullptr;
};

bool Resolve(HANDLE handle, Target& target)
{
    target.object = HandleTable::Instance().Find(handle);
    if (!target.object)
        return false;
    if (target.object->Kind() == ObjectKind::File)
        target.file = static_cast<FileObject*>(target.object.get());
    else if (target.object->Kind() == ObjectKind::Device)
        target.device = static_cast<DeviceObject*>(target.object.get());
    else {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return true;
}

bool Allows(const DeviceObject& device, DWORD right) { return (device.access & (right | GENERIC_ALL)) != 0; }

// One read or write of a device at its file pointer, which moves by what was done.
BOOL DeviceTransfer(DeviceObject& device, bool write, void* buffer, DWORD size, LPDWORD done, LPOVERLAPPED overlapped)
{
    if (done)
        *done = 0;
    if (overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!Allows(device, write ? GENERIC_WRITE : GENERIC_READ)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (size == 0)
        return TRUE;
    if (!buffer) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(device.lock);
    DWORD moved = 0;
    const DWORD error = write ? device.device->Write(device.position, buffer, size, moved)
                              : device.device->Read(device.position, buffer, size, moved);
    device.position += moved;
    if (done)
        *done = moved;
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

bool IsFileKind(ObjectKind kind)
{
    return kind != ObjectKind::ServiceManager && kind != ObjectKind::Service && kind != ObjectKind::RuntimeSearch;
}

} // namespace

DWORD KSPlatformDeviceOpenDisposition() { return deviceOpenDisposition; }

extern "C" HANDLE WINAPI CreateFileW(LPCWSTR path, DWORD access, DWORD /*share*/, LPSECURITY_ATTRIBUTES /*security*/,
                                     DWORD disposition, DWORD flagsAndAttributes, HANDLE /*templateFile*/)
{
    if (IsDevicePath(path))
        return OpenDevice(path + 4, access, disposition);
    const int fd = ks_win32::OpenDescriptor(path, access, disposition, flagsAndAttributes);
    if (fd == -1)
        return INVALID_HANDLE_VALUE;
    auto file = std::make_shared<FileObject>(fd);
    HANDLE handle = HandleTable::Instance().Add(file);
    if (!handle) {
        file->fd = -1;
        ks_win32::CloseDescriptor(fd);
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

// The path is text of the current locale.
extern "C" HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                     DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile)
{
    if (!path)
        return CreateFileW(nullptr, access, share, security, disposition, flagsAndAttributes, templateFile);
    const size_t length = std::mbstowcs(nullptr, path, 0);
    if (length == static_cast<size_t>(-1)) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    std::wstring wide(length + 1, L'\0');
    std::mbstowcs(&wide[0], path, length + 1);
    return CreateFileW(wide.c_str(), access, share, security, disposition, flagsAndAttributes, templateFile);
}

// Closes files, devices, threads and synchronisation objects; service handles are
// closed with CloseServiceHandle and searches with _findclose, so they are refused.
extern "C" BOOL WINAPI CloseHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> object = HandleTable::Instance().Remove(handle, IsFileKind);
    if (!object)
        return FALSE;
    if (object->Kind() == ObjectKind::File) {
        auto* file = static_cast<FileObject*>(object.get());
        return ks_win32::CloseDescriptor(file->fd.exchange(-1));
    }
    return TRUE;
}

extern "C" BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    Target target;
    if (!Resolve(file, target)) {
        if (read)
            *read = 0;
        return FALSE;
    }
    if (target.device)
        return DeviceTransfer(*target.device, false, buffer, size, read, overlapped);
    return ks_win32::ReadDescriptor(target.file->fd, buffer, size, read, overlapped);
}

extern "C" BOOL WINAPI WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    Target target;
    if (!Resolve(file, target)) {
        if (written)
            *written = 0;
        return FALSE;
    }
    if (target.device)
        return DeviceTransfer(*target.device, true, const_cast<void*>(data), size, written, overlapped);
    return ks_win32::WriteDescriptor(target.file->fd, data, size, written, overlapped);
}

extern "C" BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method)
{
    Target target;
    if (!Resolve(file, target))
        return FALSE;
    if (target.file)
        return ks_win32::SeekDescriptor(target.file->fd, distance.QuadPart, method, newPosition);

    DeviceObject& device = *target.device;
    std::lock_guard<std::mutex> guard(device.lock);
    LONGLONG base;
    switch (method) {
    case FILE_BEGIN:
        base = 0;
        break;
    case FILE_CURRENT:
        base = static_cast<LONGLONG>(device.position);
        break;
    case FILE_END:
        base = static_cast<LONGLONG>(device.device->Size());
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (distance.QuadPart < 0 && base + distance.QuadPart < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return FALSE;
    }
    device.position = static_cast<uint64_t>(base + distance.QuadPart);
    if (newPosition)
        newPosition->QuadPart = static_cast<LONGLONG>(device.position);
    return TRUE;
}

extern "C" BOOL WINAPI SetEndOfFile(HANDLE file)
{
    Target target;
    if (!Resolve(file, target))
        return FALSE;
    if (target.device) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    return ks_win32::TruncateDescriptor(target.file->fd);
}

extern "C" BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size)
{
    Target target;
    if (!Resolve(file, target))
        return FALSE;
    if (target.file)
        return ks_win32::DescriptorSize(target.file->fd, size);
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size->QuadPart = static_cast<LONGLONG>(target.device->device->Size());
    return TRUE;
}

extern "C" BOOL WINAPI DeviceIoControl(HANDLE handle, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                       LPDWORD returned, LPOVERLAPPED overlapped)
{
    if (returned)
        *returned = 0;
    Target target;
    if (!Resolve(handle, target))
        return FALSE;
    if (!target.device) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD done = 0;
    const DWORD error = target.device->device->Control(code, in, inSize, out, outSize, done);
    if (returned)
        *returned = done;
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}
