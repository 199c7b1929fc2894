// Whether a planned layout can be carried out: every partition inside the target, each
// one large enough for what is copied into it (its used sectors when copied by file
// system, its whole source when copied sector by sector), and each volume copied by
// file system within its kind's size window. The description page
// refuses a plan that fails here before anything is written.
#pragma once

#include "CloneLayoutPlan.h"

// Copied sector by sector (flag 1) unless the file system is FAT16, FAT32 or NTFS.
bool IsSectorBySectorCopy(uint32_t fileSystem);

// Sectors the target partition of planned index i must hold at least.
uint64_t CloneSectorsNeeded(const CloneLayoutPlan& plan, size_t i);

bool ClonePlanFits(const CloneLayoutPlan& plan, uint64_t targetSectors);

constexpr const char* kCloneTargetTooSmallText = "The destination disk is too small for source disk.";
