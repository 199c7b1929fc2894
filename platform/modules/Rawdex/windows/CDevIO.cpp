// The raw device object on Windows: the device name ("\\.\PhysicalDriveN") is opened
// with CreateFileW and its sectors are moved with SetFilePointerEx and
// ReadFile/WriteFile. The handle is kept as a C run-time descriptor
// (_open_osfhandle), so closing it is one _close.
#include "CDevIO.h"

#include <cstdint>
#include <io.h>
#include <string>
#include <windows.h>

#include "KSResult.h"

namespace {
constexpr unsigned long kReadFailed = 0x256;
constexpr unsigned long kOpenFailed = 0x104;
constexpr unsigned long kWriteFailed = 0x107;
// ReadFile and WriteFile move at most this much in one call.
constexpr DWORD kMaxChunk = 1u << 30;

HANDLE OpenDevice(const std::wstring& name, DWORD access)
{
    return CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::wstring Widen(const char* text)
{
    const int wide = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (wide <= 0)
        return std::wstring();
    std::wstring out(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], wide);
    out.resize(static_cast<size_t>(wide - 1));
    return out;
}
}

CDevIO::~CDevIO() { Close(); }

unsigned long CDevIO::Release()
{
    delete this;
    return 0;
}

unsigned long CDevIO::Open(const char* deviceName)
{
    Close();
    if (deviceName == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    const std::wstring name = Widen(deviceName);
    if (name.empty())
        return KS_RESULT(KS_MODULE_BACKUP, kOpenFailed);
    HANDLE handle = OpenDevice(name, GENERIC_READ | GENERIC_WRITE);
    writable_ = handle != INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE)
        handle = OpenDevice(name, GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE)
        return KS_RESULT(KS_MODULE_BACKUP, kOpenFailed);
    fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
    if (fd_ < 0) {
        CloseHandle(handle);
        writable_ = false;
        return KS_RESULT(KS_MODULE_BACKUP, kOpenFailed);
    }
    return 0;
}

unsigned long CDevIO::Close()
{
    if (fd_ >= 0)
        _close(fd_); // closes the handle too
    fd_ = -1;
    writable_ = false;
    return 0;
}

unsigned long CDevIO::Read(unsigned long firstLow, unsigned long firstHigh, unsigned long count, void* buffer)
{
    return Transfer(firstLow, firstHigh, count, buffer, false);
}

unsigned long CDevIO::Write(unsigned long firstLow, unsigned long firstHigh, unsigned long count, const void* data)
{
    return Transfer(firstLow, firstHigh, count, const_cast<void*>(data), true);
}

unsigned long CDevIO::Transfer(unsigned long firstLow, unsigned long firstHigh, unsigned long count, void* buffer,
                               bool write)
{
    if (fd_ < 0 || (write && !writable_))
        return KS_RESULT(KS_MODULE_BACKUP, 0x005);
    if (buffer == nullptr && count != 0)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    const uint64_t first = (static_cast<uint64_t>(firstHigh & 0xFFFFFFFFul) << 32) | (firstLow & 0xFFFFFFFFul);
    if (first > static_cast<uint64_t>(INT64_MAX / KS_DEVIO_SECTOR) - count)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
    const unsigned long failed = KS_RESULT(KS_MODULE_BACKUP, write ? kWriteFailed : kReadFailed);
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(first * KS_DEVIO_SECTOR);
    if (!SetFilePointerEx(handle, offset, nullptr, FILE_BEGIN))
        return failed;
    uint64_t left = static_cast<uint64_t>(count) * KS_DEVIO_SECTOR;
    unsigned char* p = static_cast<unsigned char*>(buffer);
    while (left > 0) {
        const DWORD chunk = left > kMaxChunk ? kMaxChunk : static_cast<DWORD>(left);
        DWORD moved = 0;
        const BOOL ok = write ? WriteFile(handle, p, chunk, &moved, nullptr)
                              : ReadFile(handle, p, chunk, &moved, nullptr);
        if (!ok || moved == 0)
            return failed; // an error, or the end of the disk
        p += moved;
        left -= moved;
    }
    return 0;
}
