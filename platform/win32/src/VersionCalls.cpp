// GetVersionExA: the version of Windows the layer reports, settable by tests.
#include "KSPlatformControl.h"

#include <cstring>
#include <mutex>

namespace {

std::mutex versionLock;
OSVERSIONINFOA version = KSPlatformDefaultVersion();

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

extern "C" BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info)
{
    if (!info) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(versionLock);
    *info = version;
    return TRUE;
}
