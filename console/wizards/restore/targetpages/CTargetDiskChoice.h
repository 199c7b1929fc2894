// Whether a disk of the target disk page can take the image: large enough for the
// image's need, not offline, dynamic or GPT for a disk or boot-record restore, and,
// for a whole-disk restore, not the disk that holds the image file itself.
#pragma once

#include "CTargetDiskPlanner.h"
#include "KSDiskInfo.h"

struct TargetDiskFacts {
    _KS_DISK_INFO record{};
    bool offline = false;
    bool hasUsedPartition = false;
    // 0-based disk index of the partition that holds the image file; -1 when unknown.
    int imageDiskIndex = -1;
};

struct TargetDiskRequest {
    bool diskRestore = false;
    bool mbrOnly = false;
    bool imageOnCdromPath = false; // under "/mnt/CD": the image's own disk size is needed
    bool imageOnDiscMount = false; // the image's mount is a disc: no guard against its disk
};

struct TargetDiskVerdict {
    bool nextEnabled = false;
    bool diskEmpty = true;
};

class CTargetDiskChoice {
public:
    static TargetDiskVerdict Judge(const CTargetDiskPlanner& planner, int diskIndex, const TargetDiskFacts& disk,
                                   const TargetDiskRequest& request);
};
