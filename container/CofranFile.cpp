#include "CofranFile.h"

#include "KSFileExt.h"

bool CofranFile::OpenRead(const wchar_t* path)
{
    Close();
    handle_ = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    return IsOpen();
}

bool CofranFile::CreateNew(const wchar_t* path)
{
    Close();
    handle_ = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    return IsOpen();
}

bool CofranFile::OpenReadWrite(const wchar_t* path)
{
    Close();
    handle_ = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    return IsOpen();
}

bool CofranFile::Create(const wchar_t* path, bool direct)
{
    Close();
    if (!path_.assign(path)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    if (direct) {
        handle_ = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_NO_BUFFERING, nullptr);
        if (IsOpen()) {
            direct_ = true;
            return true;
        }
    }
    // Some file systems (tmpfs, network shares) refuse unbuffered I/O.
    handle_ = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    return IsOpen();
}

bool CofranFile::ReopenBuffered()
{
    if (!direct_)
        return false;
    CloseHandle(handle_);
    direct_ = false;
    handle_ = CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr);
    return IsOpen();
}

void CofranFile::Close()
{
    if (IsOpen())
        CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    direct_ = false;
}

bool CofranFile::ReadAt(uint64_t pos, void* buffer, uint32_t size, uint32_t* done)
{
    DWORD got = 0;
    *done = 0;
    if (!IsOpen())
        return false;
    const BOOL ok = ReadFileExt(handle_, buffer, static_cast<DWORD>(pos), static_cast<DWORD>(pos >> 32), size, &got,
                                nullptr);
    *done = got;
    return ok != FALSE;
}

bool CofranFile::WriteAt(uint64_t pos, const void* data, uint32_t size, uint32_t* done)
{
    DWORD put = 0;
    *done = 0;
    if (!IsOpen())
        return false;
    const BOOL ok = WriteFileExt(handle_, data, static_cast<DWORD>(pos), static_cast<DWORD>(pos >> 32), size, &put,
                                 nullptr);
    *done = put;
    return ok != FALSE;
}

bool CofranFile::Size(uint64_t* size)
{
    LARGE_INTEGER s;
    s.QuadPart = 0;
    if (!IsOpen() || !GetFileSizeEx(handle_, &s))
        return false;
    *size = static_cast<uint64_t>(s.QuadPart);
    return true;
}

bool CofranFile::Truncate(uint64_t size)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(size);
    return IsOpen() && SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) && SetEndOfFile(handle_);
}
