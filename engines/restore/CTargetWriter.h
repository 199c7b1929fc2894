// Writes one restored volume onto its partition: every write is bounded by the
// partition, and the volume's first sector is zeroed at the start and written last,
// so that a failed or cancelled restore leaves no volume that looks whole.
#pragma once

#include <cstdint>
#include <vector>

#include "CRawDisk.h"

class CTargetWriter {
public:
    CTargetWriter(CRawDisk& disk, uint64_t firstSector, uint64_t sectorCount);
    // Zeroes the first sector.
    bool Begin();
    // Writes count sectors at sector volumeSector of the partition; false past its end.
    bool Write(const void* data, uint64_t volumeSector, uint64_t count);
    bool Read(void* buffer, uint64_t volumeSector, uint64_t count);
    // Writes the held first sector; false when none was written or the write fails.
    bool Finish();
    // The first sector as restored so far (valid once held).
    unsigned char* FirstSector() { return first_.data(); }
    bool HoldsFirstSector() const { return held_; }
    uint64_t Sectors() const { return count_; }

private:
    CRawDisk& disk_;
    uint64_t start_;
    uint64_t count_;
    std::vector<unsigned char> first_;
    bool held_ = false;
};
