// The in-memory copy of a volume's first FAT, with entry access for the three entry
// widths. Entries outside the buffer are never touched: reads give a fixed value,
// writes are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "KSVolume.h"

class FatTable {
public:
    static constexpr uint32_t kEndOfChain = 0x0FFFFFF8;

    FatTable() = default;
    // Takes the FAT bytes of a volume of the given kind (KS_FS_FAT12/16/32).
    void Assign(unsigned long kind, std::vector<unsigned char> bytes);
    void Clear();

    bool Empty() const { return bytes_.empty(); }
    unsigned long Kind() const { return kind_; }
    const std::vector<unsigned char>& Bytes() const { return bytes_; }
    // Number of entries wholly inside the buffer.
    uint64_t EntryCapacity() const;

    // The entry of cluster k. FAT12/16 values from their end-of-chain range on read
    // as kEndOfChain; FAT32 values come as stored, all 32 bits.
    uint32_t Entry(uint32_t cluster) const;
    // The entry's bits as the volume stores them (12, 16 or 32), without the
    // end-of-chain folding of Entry; 0 outside the buffer.
    uint32_t StoredEntry(uint32_t cluster) const;
    unsigned long SetEntry(uint32_t cluster, uint32_t value);
    // The cluster that follows cluster in its chain: the entry without the reserved
    // top four bits of FAT32, which say nothing about the chain.
    uint32_t NextCluster(uint32_t cluster) const { return Entry(cluster) & 0x0FFFFFFFu; }

    bool IsEndOfChain(uint32_t value) const { return IsEndOfChain(kind_, value); }
    static bool IsEndOfChain(unsigned long kind, uint32_t value);
    // The bits of an entry that hold the cluster value (12, 16 or 28 bits).
    static uint32_t ValueMask(unsigned long kind);
    uint32_t ValueMask() const { return ValueMask(kind_); }

private:
    unsigned long kind_ = KS_FS_OTHER;
    std::vector<unsigned char> bytes_;
};
