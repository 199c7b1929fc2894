// The Win32 directory search over FileSearch.
#include "FileSearch.h"
#include "Win32Layer.h"

using ks_win32::FileSearch;

extern "C" HANDLE WINAPI FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    FileSearch* search = FileSearch::Open(pattern);
    if (!search)
        return INVALID_HANDLE_VALUE;
    if (found && !search->Next(found)) {
        if (GetLastError() == ERROR_NO_MORE_FILES)
            SetLastError(ERROR_FILE_NOT_FOUND);
        delete search;
        return INVALID_HANDLE_VALUE;
    }
    return search->ToHandle();
}

extern "C" BOOL WINAPI FindNextFileW(HANDLE handle, LPWIN32_FIND_DATAW found)
{
    FileSearch* search = FileSearch::FromHandle(handle);
    if (!search || !found) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    return search->Next(found) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI FindClose(HANDLE handle)
{
    if (!handle)
        return TRUE;
    FileSearch* search = FileSearch::FromHandle(handle);
    if (!search) {
        KS_WIN32_REFUSE(KS_KIND_BAD_ARGUMENT);
        return FALSE;
    }
    delete search;
    return TRUE;
}
