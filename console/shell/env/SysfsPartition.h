// Which disk holds a partition, as the kernel tells it under "/sys/block": the disk
// folder that has a folder of the partition's name. Names are never cut apart, so
// sda1, sdaa1, nvme0n1p1 and mmcblk0p1 all find their disks.
#pragma once

#include <string>

// The disk of the partition ("sda" for "sda1"); false when no disk folder holds it.
bool FindDiskOfPartition(const std::string& partition, std::string& disk);
