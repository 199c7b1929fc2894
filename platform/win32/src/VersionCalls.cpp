// GetVersionExA: the version of Windows the layer reports, settable by tests.
#include "KSPlatformControl.h"
#include "KSPlatformSetup.h"

#include <cstring>
#include <mutex>

namespace {

std::mutex versionLock;
OSVERSIONINFOA version = KSPlatformDefaultVersion();
WORD servicePackMajor = 3;
WORD servicePackMinor = 0;
// GetVersionExA refuses the extended or the plain record, as systems did that knew
// only the plain one or none.
DWORD extendedError = ERROR_SUCCESS;
DWORD plainError = ERROR_SUCCESS;

} // namespace

// Windows XP Service Pack 3, the oldest system the engines run on.
OSVERSIONINFOA KSPlatformDefaultVersion()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    info.dwMajorVersion = 5;
    info.dwMinorVersion = 1;
    info.dwBuildNumber = 2600;
    info.dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::strcpy(info.szCSDVersion, "Service Pack 3");
    return info;
}

void KSPlatformSetVersion(const OSVERSIONINFOA& info)
{
    std::lock_guard<std::mutex> guard(versionLock);
    version = info;
    version.dwOSVersionInfoSize = sizeof version;
    version.szCSDVersion[sizeof version.szCSDVersion - 1] = '\0';
}

void KSPlatformSetServicePack(WORD major, WORD minor)
{
    std::lock_guard<std::mutex> guard(versionLock);
    servicePackMajor = major;
    servicePackMinor = minor;
}

void KSPlatformSetVersionErrors(DWORD extended, DWORD plain)
{
    std::lock_guard<std::mutex> guard(versionLock);
    extendedError = extended;
    plainError = plain;
}

extern "C" BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info)
{
    if (!info) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const DWORD size = info->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(versionLock);
    const DWORD refusal = size == sizeof(OSVERSIONINFOEXA) ? extendedError : plainError;
    if (refusal != ERROR_SUCCESS) {
        SetLastError(refusal);
        return FALSE;
    }
    *info = version;
    info->dwOSVersionInfoSize = size;
    if (size == sizeof(OSVERSIONINFOEXA)) {
        auto* extended = reinterpret_cast<LPOSVERSIONINFOEXA>(info);
        extended->wServicePackMajor = servicePackMajor;
        extended->wServicePackMinor = servicePackMinor;
        extended->wSuiteMask = 0;
        extended->wProductType = 1; // a workstation
        extended->wReserved = 0;
    }
    return TRUE;
}
