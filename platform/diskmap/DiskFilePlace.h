// Which disk of the disk map holds a file, and which stretch of it: what a restore
// asks before it writes, so that it never writes over the set it reads.
//
// A file on a partition of one of the machine's disks is found through /sys: the
// major:minor of its file system leads through /sys/dev/block to the disk and the
// partition. A file on a disk-image file's partition (loop-mounted, as the recovery
// scripts mount the partitions at /mnt/P1..) is found through the mount table, whose
// entry for that major:minor names the loop device, and the loop device's backing
// file and offset. /sys and /proc/self/mountinfo are read under RVD_ENV_ROOT.
#pragma once

#include <cstdint>
#include <string>

struct DiskFilePlace {
    bool onDisk = false;  // the file lies on a disk of the disk map
    unsigned disk = 0;    // its number
    uint64_t start = 0;   // first sector of the stretch holding the file
    uint64_t sectors = 0; // its length; 0: the whole disk
};

DiskFilePlace FindDiskFilePlace(const std::string& hostPath);
