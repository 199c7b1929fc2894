// Lays an image's partitions out on a whole target disk: the source layout copied
// when the disk is large enough and the source extents do not overlap, else packed
// from the disk's start, each resizable file system getting its used size and 2 %
// (a FAT volume at least its kind's least size) and an equal share of the room left, on cylinder boundaries and within the disk.
// The same per-volume minimum decides whether a disk can take the image at all, so
// a disk that passes never gets a plan with a partition smaller than its data; a
// plan that still falls short (cylinder rounding) is caught by CheckPlan.
#pragma once

#include <cstdint>
#include <vector>

#include "KSVolume.h"
#include "TargetDiskShape.h"
#include "layout/TagRSPartitionInfo.h"

class CTargetDiskPlanner {
public:
    // The source volumes in list order (the disk row's null entry left out).
    explicit CTargetDiskPlanner(std::vector<const _KS_VOLUME*> volumes);

    // Whether two source extents share a sector (closed intervals).
    static bool ExtentsOverlap(uint64_t firstA, uint64_t lastA, uint64_t firstB, uint64_t lastB);
    bool IsPartitionCrossed() const;
    // The sectors the source layout spans: up to the end of the last extent; 0
    // without volumes.
    uint64_t GetSrcDiskSize() const;
    // Sectors the image needs on a target disk: the image's own disk size for an
    // image read from a disc, else the sum of the volumes' planned minimums.
    uint64_t ImageNeed(bool imageOnDisc) const;
    // Whether a disk of totalSectors can take the image (the need strictly below).
    bool DiskCanTake(uint64_t totalSectors, bool imageOnDisc) const;

    // The plan for the disk; relaidOut tells whether it was packed anew.
    std::vector<TagRSPartitionInfo> Plan(const TargetDiskShape& disk, bool& relaidOut) const;

    enum PlanFault { kPlanOk, kPlanTooSmall, kPlanPastDisk, kPlanOverlaps, kPlanWrongCount };
    // Checks a plan against the volumes: one entry per volume, in order, without
    // overlaps, within the disk, each holding at least its volume's planned minimum
    // (a logical partition's first track holds its table, not data).
    PlanFault CheckPlan(const std::vector<TagRSPartitionInfo>& plan, const TargetDiskShape& disk) const;

    // The layout steps, public for their tests.
    std::vector<TagRSPartitionInfo> CopyLayout() const;
    std::vector<TagRSPartitionInfo> Relayout(const TargetDiskShape& disk) const;
    static void CorrectedDisk(const TargetDiskShape& disk, std::vector<TagRSPartitionInfo>& plan);
    static bool GetCorrectedParam(const TargetDiskShape& disk, long long after, TagRSPartitionInfo& entry);
    void FitFatEntries(std::vector<TagRSPartitionInfo>& plan) const;

private:
    std::vector<const _KS_VOLUME*> volumes_;
};
