// Whether a partition holds the running machine's system: the partition mounted at
// "/" of the running machine, or at "/boot" (where its boot files are; without a
// "/boot" of its own they lie on the "/" partition). This is what makes a partition
// impossible to lock for a restore. The mount table is /proc/self/mountinfo and the
// partitions are those of /sys/block, both under the recovery environment's root
// (RVD_ENV_ROOT). A disk-image file is never the running system, whatever holds its
// bytes.
#pragma once

#include <cstdint>
#include <string>

#include "DiskMapEntry.h"

struct RunningSystemRole {
    bool system = false;    // mounted at "/"
    bool bootFiles = false; // mounted at "/boot", or at "/" when there is no "/boot"
};

class RunningSystemMounts {
public:
    // Reads the mount table under the environment root.
    RunningSystemMounts();
    // The role of the partition that starts at sector start of disk.
    RunningSystemRole RoleOf(const DiskMapEntry& disk, uint64_t start) const;

    struct Mount {
        bool present = false;
        std::string device; // "major:minor" of the mounted device
        std::string source; // the mount source, such as "/dev/sda1"
    };

private:
    bool IsMountedPartition(const Mount& mount, const std::string& partition, const std::string& device) const;

    std::string root_;
    Mount system_;
    Mount boot_;
};
