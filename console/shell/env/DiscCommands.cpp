#include "RecoveryEnv.h"

#include "EnvRoot.h"
#include "IEnvCommandRunner.h"
#include "MountListLine.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {
bool DiscDevice(const std::string& mountPoint, std::string& device)
{
    char out[kEnvDeviceBufferSize];
    if (mountPoint.empty() || !GetDevName(out, sizeof out, mountPoint.c_str()))
        return false;
    device = out;
    return true;
}

// The disc list again from the mount table: one line per iso9660 mount.
void RewriteDiscList()
{
    std::string table;
    if (EnvCommandRunner().Capture({"mount", "-l"}, table) != 0)
        return;
    const std::string list = EnvPath("/mnt/volcdrominfo");
    const std::string fresh = list + ".new";
    {
        std::ofstream out(fresh, std::ios::trunc);
        std::istringstream lines(table);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.find("type iso9660") != std::string::npos)
                out << DiscListLine(line) << '\n';
        }
        if (!out)
            return;
    }
    std::rename(fresh.c_str(), list.c_str());
}

// Every listed disc as (device, mount point); false when the list cannot be read.
template <class Visit>
bool ForEachListedDisc(Visit visit)
{
    std::ifstream in(EnvPath("/mnt/volcdrominfo"));
    if (!in)
        return false;
    const std::string discPrefix = EnvPath("/mnt/CD");
    std::string line;
    while (std::getline(in, line)) {
        std::string device;
        if (!DeviceOfListLine(line, device))
            continue;
        std::istringstream fields(line.substr(device.size()));
        std::string mountPoint;
        fields >> mountPoint;
        if (mountPoint.compare(0, discPrefix.size(), discPrefix) == 0)
            visit(device, mountPoint);
    }
    return true;
}
} // namespace

bool EjectCD(const char* mountPoint)
{
    const std::string point = MountPointOfPath(mountPoint ? mountPoint : "");
    std::string device;
    if (!DiscDevice(point, device))
        return false;
    EnvCommandRunner().Run({"umount", point});
    EnvCommandRunner().Run({"busybox", "eject", device});
    return true;
}

bool MountCD(const char* mountPoint)
{
    const std::string point = MountPointOfPath(mountPoint ? mountPoint : "");
    std::string device;
    if (!DiscDevice(point, device))
        return false;
    EnvCommandRunner().Run({"mount", device, point, "-t", "iso9660"});
    RewriteDiscList();
    return true;
}

bool UpdateCD()
{
    const int status = EnvCommandRunner().Run({EnvPath("/mnt/mcd")});
    EnvCommandRunner().Pause(2);
    return status != -1;
}

bool MountAllCD()
{
    return ForEachListedDisc([](const std::string& device, const std::string& mountPoint) {
        EnvCommandRunner().Run({"mount", device, mountPoint, "-t", "iso9660"});
    });
}

bool UnmountAllCD()
{
    return ForEachListedDisc([](const std::string&, const std::string& mountPoint) {
        EnvCommandRunner().Run({"umount", mountPoint});
    });
}
