#include "DiscMountPath.h"

#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "RecoveryEnv.h"

bool IsCdromPath(const wchar_t* path)
{
    return path != nullptr && std::wcsstr(path, L"/mnt/CD") != nullptr;
}

bool IsCdromImagePath(const char* path)
{
    if (path == nullptr)
        return false;
    std::setlocale(LC_ALL, "");
    const size_t n = std::mbstowcs(nullptr, path, 0);
    if (n == static_cast<size_t>(-1))
        return false;
    std::vector<wchar_t> wide(n + 1, L'\0');
    std::mbstowcs(wide.data(), path, n + 1);
    return IsCdromPath(wide.data());
}

bool IsOnDiscMount(const char* path)
{
    if (path == nullptr)
        return false;
    const std::string mountPoint = MountPointOfPath(path);
    if (mountPoint.empty())
        return false;
    char device[kEnvDeviceBufferSize] = {};
    return GetDevName(device, sizeof device, mountPoint.c_str());
}
