// What the image volume lists show, worked out from the volume records of one version
// of an image set without a display: the row texts of a volume, the disks that carry
// volumes, and the number of the "MBR and Track 0" row.
#pragma once

#include <string>
#include <vector>

#include "KSVolume.h"

class ITasque;
struct _KS_VERSION;

struct VolumeRowTexts {
    std::string partition, type, size, used, unused, status, priLog;
};

// The restore list writes "0.00KB" as Unused when used > total; the check-image list
// writes what the subtraction gives.
VolumeRowTexts ImageVolumeRowTexts(const _KS_VOLUME& volume, bool replaceNegativeUnused);

// The disks that carry at least one record, lowest first, each with the positions of
// its records in array order.
struct ImageDiskVolumes {
    int disk;
    std::vector<size_t> records;
};
std::vector<ImageDiskVolumes> GroupImageVolumes(const std::vector<_KS_VOLUME>& volumes);

// The partition number of the "MBR and Track 0" row: beyond every 16-bit partition
// number, so that the row is never taken for a partition of its disk.
constexpr int kMbrRowPartition = 0x10000;

// The volumes of a version, through the restore group or the check-image group.
// lastCount receives the count the group reported (0 on failure).
std::vector<_KS_VOLUME> FetchImageVolumes(ITasque* cmd, const char* path, _KS_VERSION* version, bool checkGroup,
                                          int* lastCount);
