// Answers "which disks are there, and where are their bytes".
//
// When the environment variable RVD_DISK_IMAGES is set, the disks are exactly the
// disk-image files it names (a ':'-separated list) and nothing else, so that tests and
// demonstrations never reach a disk of the machine. Each name keeps its place in the
// list as its disk number: a name that is not a regular file (gone, a folder) is a
// disk that is not there, never a reason to renumber the ones after it, which would
// send a restore or a backup of one number to another disk. Otherwise the disks are the machine's, as /sys/block lists them;
// under a recovery-environment root (RVD_ENV_ROOT, as the console's tests and demo
// set it) the root's sys/block and dev stand for the machine's.
#pragma once

#include <string>
#include <vector>

#include "DiskMapEntry.h"

class CDiskMap {
public:
    static constexpr const char* kImagesVariable = "RVD_DISK_IMAGES";
    static constexpr const char* kDevicePrefix = "\\\\.\\PhysicalDrive";
    static constexpr const char* kRootVariable = "RVD_ENV_ROOT";

    // sysBlock and devFolder are seams for tests; empty means the machine's
    // "/sys/block" and "/dev" under the environment root.
    explicit CDiskMap(std::string sysBlock = "", std::string devFolder = "");

    // The disks that are there, in number order; a listed disk that is not there is
    // left out and its number stays unused. Reads the environment every time.
    std::vector<DiskMapEntry> Disks() const;
    // The disks that are there, and how many numbers the list takes (one past the
    // last listed disk, there or not), from one reading of the environment.
    std::vector<DiskMapEntry> Disks(unsigned& numbersTaken) const;
    // The disk named by "\\.\PhysicalDriveN"; false when there is none or it is
    // not there.
    bool FindByDeviceName(const std::string& deviceName, DiskMapEntry& out) const;
    // "\\.\PhysicalDriveN" for disk number n.
    static std::string DeviceName(unsigned number);

private:
    std::vector<DiskMapEntry> ImageDisks(const std::string& list, unsigned& numbersTaken) const;
    std::vector<DiskMapEntry> MachineDisks() const;

    std::string sysBlock_;
    std::string devFolder_;
};
