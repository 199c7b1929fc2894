#include "FatTable.h"

#include <utility>

#include "FatResultCodes.h"
#include "LittleEndian.h"

void FatTable::Assign(unsigned long kind, std::vector<unsigned char> bytes)
{
    kind_ = kind;
    bytes_ = std::move(bytes);
}

void FatTable::Clear()
{
    kind_ = KS_FS_OTHER;
    bytes_.clear();
    bytes_.shrink_to_fit();
}

uint64_t FatTable::EntryCapacity() const
{
    switch (kind_) {
    case KS_FS_FAT12:
        // Entry k needs the word at k * 3 / 2, so k * 3 / 2 + 2 may not pass the end.
        return bytes_.size() < 2 ? 0 : (static_cast<uint64_t>(bytes_.size() - 2) * 2 + 1) / 3 + 1;
    case KS_FS_FAT16:
        return bytes_.size() / 2;
    case KS_FS_FAT32:
        return bytes_.size() / 4;
    default:
        return 0;
    }
}

uint32_t FatTable::ValueMask(unsigned long kind)
{
    switch (kind) {
    case KS_FS_FAT12:
        return 0xFFF;
    case KS_FS_FAT16:
        return 0xFFFF;
    case KS_FS_FAT32:
        return 0x0FFFFFFF;
    default:
        return 0;
    }
}

bool FatTable::IsEndOfChain(unsigned long kind, uint32_t value)
{
    switch (kind) {
    case KS_FS_FAT12:
        return (value & 0xFFF) >= 0xFF8;
    case KS_FS_FAT16:
        return (value & 0xFFFF) >= 0xFFF8;
    case KS_FS_FAT32:
        return (value & 0x0FFFFFFF) >= 0x0FFFFFF8;
    default:
        return false;
    }
}

uint32_t FatTable::Entry(uint32_t cluster) const
{
    switch (kind_) {
    case KS_FS_FAT12: {
        const uint64_t offset = static_cast<uint64_t>(cluster) * 3 / 2;
        if (offset + 2 > bytes_.size())
            return kEndOfChain;
        const uint16_t word = LoadLE16(&bytes_[offset]);
        const uint32_t value = (cluster & 1) ? (word >> 4) : (word & 0xFFF);
        return value >= 0xFF8 ? kEndOfChain : value;
    }
    case KS_FS_FAT16: {
        const uint64_t offset = static_cast<uint64_t>(cluster) * 2;
        if (offset + 2 > bytes_.size())
            return 0;
        const uint32_t value = LoadLE16(&bytes_[offset]);
        return value >= 0xFFF8 ? kEndOfChain : value;
    }
    case KS_FS_FAT32: {
        const uint64_t offset = static_cast<uint64_t>(cluster) * 4;
        if (offset + 4 > bytes_.size())
            return 0;
        return LoadLE32(&bytes_[offset]);
    }
    default:
        return 0;
    }
}

uint32_t FatTable::StoredEntry(uint32_t cluster) const
{
    switch (kind_) {
    case KS_FS_FAT12: {
        const uint64_t offset = static_cast<uint64_t>(cluster) * 3 / 2;
        if (offset + 2 > bytes_.size())
            return 0;
        const uint16_t word = LoadLE16(&bytes_[offset]);
        return (cluster & 1) ? (word >> 4) : (word & 0xFFF);
    }
    case KS_FS_FAT16: {
        const uint64_t offset = static_cast<uint64_t>(cluster) * 2;
        return offset + 2 > bytes_.size() ? 0 : LoadLE16(&bytes_[offset]);
    }
    default:
        return Entry(cluster);
    }
}

unsigned long FatTable::SetEntry(uint32_t cluster, uint32_t value)
{
    switch (kind_) {
    case KS_FS_FAT12: {
        const uint64_t offset = static_cast<uint64_t>(cluster) * 3 / 2;
        if (offset + 2 > bytes_.size())
            return FatResult::EntryOutOfRange;
        const uint16_t word = LoadLE16(&bytes_[offset]);
        const uint16_t twelve = static_cast<uint16_t>(value & 0xFFF);
        const uint16_t merged = (cluster & 1) ? static_cast<uint16_t>((word & 0x000F) | (twelve << 4))
                                              : static_cast<uint16_t>((word & 0xF000) | twelve);
        StoreLE16(&bytes_[offset], merged);
        return 0;
    }
    case KS_FS_FAT16: {
        const uint64_t offset = static_cast<uint64_t>(cluster) * 2;
        if (offset + 2 > bytes_.size())
            return FatResult::EntryOutOfRange;
        StoreLE16(&bytes_[offset], static_cast<uint16_t>(value));
        return 0;
    }
    case KS_FS_FAT32: {
        const uint64_t offset = static_cast<uint64_t>(cluster) * 4;
        if (offset + 4 > bytes_.size())
            return FatResult::EntryOutOfRange;
        // The top four bits are reserved and keep what the volume had.
        const uint32_t old = LoadLE32(&bytes_[offset]);
        StoreLE32(&bytes_[offset], (old & 0xF0000000u) | (value & 0x0FFFFFFFu));
        return 0;
    }
    default:
        return FatResult::EntryWrongKind;
    }
}
