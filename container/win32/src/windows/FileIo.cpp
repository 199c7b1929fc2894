// Positioned reads and writes on Windows: the real SetFilePointerEx, ReadFile and
// WriteFile, with the same argument checks as on Linux.
#include "KSFileExt.h"
#include "KSResult.h"

namespace {

// The container reads and writes synchronously; an overlapped request is refused
// as it is by the Linux layer, rather than mixing a file offset with a seek.
bool SeekTo(HANDLE file, DWORD positionLow, DWORD positionHigh, LPOVERLAPPED overlapped)
{
    if (overlapped) {
        ::SetLastError(KS_RESULT(KS_WIN32_MODULE, KS_KIND_BAD_ARGUMENT));
        return false;
    }
    LARGE_INTEGER position;
    position.LowPart = positionLow;
    position.HighPart = static_cast<LONG>(positionHigh);
    return ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
}

} // namespace

BOOL ReadFileExt(HANDLE file, LPVOID buffer, DWORD positionLow, DWORD positionHigh, DWORD size, LPDWORD read,
                 LPOVERLAPPED overlapped)
{
    if (read)
        *read = 0;
    if (size == 0)
        return TRUE;
    if (!SeekTo(file, positionLow, positionHigh, overlapped))
        return FALSE;
    // Windows wants the count pointer on a synchronous call even when the caller
    // does not.
    DWORD done = 0;
    const BOOL ok = ::ReadFile(file, buffer, size, &done, nullptr);
    if (read)
        *read = done;
    return ok;
}

BOOL WriteFileExt(HANDLE file, LPCVOID data, DWORD positionLow, DWORD positionHigh, DWORD size, LPDWORD written,
                  LPOVERLAPPED overlapped)
{
    if (written)
        *written = 0;
    if (size == 0)
        return TRUE;
    if (!SeekTo(file, positionLow, positionHigh, overlapped))
        return FALSE;
    DWORD done = 0;
    const BOOL ok = ::WriteFile(file, data, size, &done, nullptr);
    if (written)
        *written = done;
    return ok;
}
