// The container's own file handles: each carries its descriptor, so the layer needs
// no table of its own. The engines' platform layer replaces this file with its
// handle table.
#include "Win32Layer.h"

#include <cerrno>
#include <climits>

using namespace ks_win32;

namespace {

// The descriptor a file handle carries, or -1 when the handle cannot be one.
int HandleToDescriptor(HANDLE handle)
{
    const intptr_t value = reinterpret_cast<intptr_t>(handle);
    return value >= 0 && value <= INT_MAX ? static_cast<int>(value) : -1;
}

HANDLE DescriptorToHandle(int fd) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd)); }

} // namespace

extern "C" HANDLE WINAPI CreateFileW(LPCWSTR path, DWORD access, DWORD /*share*/, LPSECURITY_ATTRIBUTES /*security*/,
                                     DWORD disposition, DWORD flagsAndAttributes, HANDLE /*templateFile*/)
{
    const int fd = OpenDescriptor(path, access, disposition, flagsAndAttributes);
    return fd == -1 ? INVALID_HANDLE_VALUE : DescriptorToHandle(fd);
}

extern "C" BOOL WINAPI CloseHandle(HANDLE handle) { return CloseDescriptor(HandleToDescriptor(handle)); }

extern "C" BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    return ReadDescriptor(HandleToDescriptor(file), buffer, size, read, overlapped);
}

extern "C" BOOL WINAPI WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    return WriteDescriptor(HandleToDescriptor(file), data, size, written, overlapped);
}

extern "C" BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method)
{
    return SeekDescriptor(HandleToDescriptor(file), distance.QuadPart, method, newPosition);
}

extern "C" BOOL WINAPI SetEndOfFile(HANDLE file) { return TruncateDescriptor(HandleToDescriptor(file)); }

extern "C" BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size)
{
    return DescriptorSize(HandleToDescriptor(file), size);
}
