// The fuzz input of the partition-table target: a compact encoding of a large, mostly
// empty disk image. A u32 (little-endian) gives the disk's size in sectors; then come
// records of a u32 sector number and the 512 bytes of that sector. Every other sector
// is zero. Sector numbers past the disk wrap around it; a last, partial record is
// ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SparseSector {
    uint64_t lba;
    const uint8_t* bytes; // 512 bytes
};

class SparseDiskInput {
public:
    static constexpr size_t kHeaderBytes = 4;
    static constexpr size_t kRecordBytes = 4 + 512;
    // Disks between one track and 4 GiB.
    static constexpr uint64_t kMinSectors = 64;
    static constexpr uint64_t kMaxSectors = 1ull << 23;

    SparseDiskInput(const uint8_t* data, size_t size);

    uint64_t Sectors() const { return sectors_; }
    const std::vector<SparseSector>& Records() const { return records_; }

    // Writes the disk as a sparse file; the GPT headers it holds first get the
    // checksums they claim, unless their reserved word is not zero. False when the
    // file cannot be written.
    bool WriteImage(const std::string& path) const;

private:
    uint64_t sectors_ = kMinSectors;
    std::vector<SparseSector> records_;
};
