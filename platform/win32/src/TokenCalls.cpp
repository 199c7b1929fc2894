// The process token: privileges are always held, unless a test makes the token refuse.
#include "KSPlatformVolumes.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>

namespace {

std::atomic<DWORD> privilegeError{ERROR_SUCCESS};
// One handle value stands for the token; it is never closed by anyone but the caller.
HANDLE const kToken = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7070));

std::mutex windowsFolderLock;
std::string& WindowsFolder()
{
    static auto* folder = new std::string;
    return *folder;
}

} // namespace

void KSPlatformSetPrivilegeError(DWORD error) { privilegeError.store(error); }

extern "C" HANDLE WINAPI GetCurrentProcess(void) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)); }

extern "C" BOOL WINAPI OpenProcessToken(HANDLE, DWORD, PHANDLE token)
{
    if (!token) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    if (const DWORD error = privilegeError.load()) {
        SetLastError(error);
        return FALSE;
    }
    *token = kToken;
    return TRUE;
}

extern "C" BOOL WINAPI LookupPrivilegeValueA(LPCSTR, LPCSTR name, PLUID luid)
{
    if (!name || !luid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The numbers Windows gives the two privileges the engines ask for.
    if (std::strcmp(name, SE_BACKUP_NAME) == 0)
        luid->LowPart = 17;
    else if (std::strcmp(name, SE_RESTORE_NAME) == 0)
        luid->LowPart = 18;
    else {
        SetLastError(ERROR_NO_SUCH_PRIVILEGE);
        return FALSE;
    }
    luid->HighPart = 0;
    return TRUE;
}

extern "C" BOOL WINAPI AdjustTokenPrivileges(HANDLE token, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES,
                                             PDWORD returned)
{
    if (token != kToken) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (returned)
        *returned = 0;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

void KSPlatformSetWindowsDirectory(const std::string& path)
{
    std::lock_guard<std::mutex> guard(windowsFolderLock);
    WindowsFolder() = path;
}

extern "C" UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    std::lock_guard<std::mutex> guard(windowsFolderLock);
    const std::string& folder = WindowsFolder();
    if (folder.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (!buffer || size < folder.size() + 1)
        return static_cast<UINT>(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<UINT>(folder.size());
}
