// The partition edit page's arithmetic: the minimum and maximum size texts, the
// sectors that the three sizes (before, size, after, in MB) give for the partition,
// and how an edit changes the parameters of the partition to create.
#pragma once

#include <cstdint>
#include <string>

#include "KSVolume.h"
#include "layout/MoveResizeManagerParam.h"
#include "layout/MoveResizeOperationParam.h"
#include "vessmar/AddPartitionParam.h"

// The partition being edited and its neighbourhood, as the device manager gives them.
struct EditItemFacts {
    uint64_t start = 0;
    uint64_t sectors = 0;
    uint64_t hidden = 0;
    bool primary = true;
    uint32_t sectorsPerTrack = 63;
    uint32_t tracksPerCylinder = 255;
    uint64_t diskSectors = 0;
    bool hasPrevious = false;
    bool previousFree = false;
    uint64_t previousStart = 0;
};

namespace EditPartitionArithmetic {

// MB of the page as sectors: truncated toward zero.
uint64_t PageMBToSectors(double mb);

// Bits 0x02 or 0x04 of the volume's flags fix the layout.
bool IsLocked(const _KS_VOLUME& v);

struct SizeLabels {
    std::string minimum;
    std::string maximum;
};
// maximumMB: before + size + after. totalSectors: the target's size as the target
// partition page described it.
SizeLabels Labels(const _KS_VOLUME& v, double maximumMB, bool sectorBySector, bool makeActive, uint64_t freeBefore,
                  uint64_t totalSectors, uint64_t freeAfter, uint64_t ntfsMinimum);

// The sectors the sizes give. Returns the plain operation (before correction).
MOVE_RESIZE_OPERATION_PARAM Operation(const EditItemFacts& item, const MOVERESIZE_MANAGER_PARAM& sizes,
                                      bool useCorrected);
// Whether an operation only nudges the partition (same start, count within 20,479).
bool IsNudge(const EditItemFacts& item, const MOVE_RESIZE_OPERATION_PARAM& op);

// Applies the edit to the parameters of the partition to create.
void ApplyEdit(const MOVE_RESIZE_OPERATION_PARAM& op, const EditItemFacts& item, bool makeActive, bool makePrimary,
               uint64_t targetHidden, bool sectorBySector, bool locked, AddPartitionParam& p);

} // namespace EditPartitionArithmetic
