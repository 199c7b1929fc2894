// Operating system, start mode and the user's rights.
#include "LoaderChecks.h"

#include <winuser.h>

#include <vector>

namespace loader {

bool ReadSystemVersion(SystemVersion& version)
{
    OSVERSIONINFOEXA extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    if (GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&extended))) {
        version.major = extended.dwMajorVersion;
        version.minor = extended.dwMinorVersion;
        version.platform = extended.dwPlatformId;
        version.servicePackMajor = extended.wServicePackMajor;
        return true;
    }
    OSVERSIONINFOA plain{};
    plain.dwOSVersionInfoSize = sizeof plain;
    if (!GetVersionExA(&plain))
        return false;
    version.major = plain.dwMajorVersion;
    version.minor = plain.dwMinorVersion;
    version.platform = plain.dwPlatformId;
    version.servicePackMajor = 0;
    return true;
}

bool IsSupportedSystem(const SystemVersion& version)
{
    switch (version.platform) {
    case VER_PLATFORM_WIN32s:
        return false;
    case VER_PLATFORM_WIN32_WINDOWS:
        // Windows 95, 98 and Me.
        return !(version.major == 4 && (version.minor == 0 || version.minor == 10 || version.minor == 90));
    case VER_PLATFORM_WIN32_NT:
        if (version.major > 6 || version.major <= 4)
            return false;
        return !(version.major == 5 && version.minor == 0 && version.servicePackMajor < 4);
    default:
        return true;
    }
}

bool IsSafeMode() { return GetSystemMetrics(SM_CLEANBOOT) != 0; }

namespace {

bool TokenHasEnabledGroup(HANDLE token, PSID group)
{
    DWORD size = 0;
    if (GetTokenInformation(token, TokenGroups, nullptr, 0, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        size < sizeof(TOKEN_GROUPS))
        return false;
    // Pointer-sized elements keep the record's alignment.
    std::vector<ULONG_PTR> buffer((size + sizeof(ULONG_PTR) - 1) / sizeof(ULONG_PTR));
    if (!GetTokenInformation(token, TokenGroups, buffer.data(), size, &size))
        return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    const SID_AND_ATTRIBUTES* entries = groups->Groups;
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (EqualSid(entries[i].Sid, group) &&
            (entries[i].Attributes & (SE_GROUP_ENABLED | SE_GROUP_ENABLED_BY_DEFAULT)) != 0)
            return true;
    return false;
}

} // namespace

bool IsAdministrator()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                  0, 0, &administrators))
        return false;
    HANDLE token = nullptr;
    bool member = false;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) ||
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        member = TokenHasEnabledGroup(token, administrators);
        CloseHandle(token);
    }
    FreeSid(administrators);
    return member;
}

} // namespace loader
