#include "RecoveryEnv.h"

#include "EnvRoot.h"
#include "MountListLine.h"

#include <cstring>

namespace {
bool DeviceFromList(const char* list, char* out, int n, const char* mountPoint)
{
    if (out == nullptr || mountPoint == nullptr || n < kEnvDeviceBufferSize)
        return false;
    std::string line;
    std::string device;
    if (!FindMountListLine(EnvPath(list), mountPoint, line) || !DeviceOfListLine(line, device))
        return false;
    if (device.size() >= static_cast<size_t>(n))
        return false;
    std::memcpy(out, device.c_str(), device.size() + 1);
    return true;
}
} // namespace

bool GetVolDevName(char* out, int n, const char* mountPoint)
{
    return DeviceFromList("/mnt/volinfo", out, n, mountPoint);
}

bool GetDevName(char* out, int n, const char* mountPoint)
{
    return DeviceFromList("/mnt/volcdrominfo", out, n, mountPoint);
}

std::string MountPointOfPath(const std::string& path)
{
    const std::string mnt = EnvPath("/mnt/");
    if (path.compare(0, mnt.size(), mnt) != 0 || path.size() == mnt.size())
        return std::string();
    const size_t slash = path.find('/', mnt.size());
    return slash == std::string::npos ? path : path.substr(0, slash);
}
