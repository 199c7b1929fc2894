// The rows of an image version: one row per disk number its volume records carry, in
// ascending order, each block a volume of that disk in the records' order, shared out
// over the sum of that disk's volumes.
#pragma once

#include <cstddef>

#include "KSVolume.h"
#include "MapBlock.h"

std::vector<int> ImageRowDisks(const _KS_VOLUME* records, int count);
// The sectors an image disk's row shares out: the sum of its volumes' sizes. Its header
// shows the same size.
unsigned long long ImageRowSectors(const _KS_VOLUME* records, int count, int disk);
// The console's partition record of a volume record.
__PARTITION_INFO_CMD ImageVolumeRecord(const _KS_VOLUME& volume);
MapRow PlanImageRow(const _KS_VOLUME* records, int count, int disk, int width);

// A UTF-16 volume label as the record's name text: UTF-8, cut at 127 bytes between
// whole characters and terminated; unpaired surrogates become U+FFFD.
void ImageLabelToName(const char16_t* label, size_t units, char* name, size_t nameSize);
