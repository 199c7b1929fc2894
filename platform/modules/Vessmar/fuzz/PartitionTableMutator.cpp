#include "PartitionTableMutator.h"

#include <cstring>
#include <string>

#include "LittleEndian.h"
#include "SparseDiskInput.h"

namespace {
const uint8_t kDosTypes[] = {0x00, 0x01, 0x04, 0x05, 0x06, 0x07, 0x0B, 0x0C, 0x0E, 0x0F, 0x82, 0x83, 0x85, 0xEE, 0xEF};
} // namespace

size_t PartitionTableMutator::RecordCount() const
{
    return size_ < SparseDiskInput::kHeaderBytes ? 0 : (size_ - SparseDiskInput::kHeaderBytes) / SparseDiskInput::kRecordBytes;
}

uint64_t PartitionTableMutator::Sectors() const
{
    return SparseDiskInput(data_, size_).Sectors();
}

long PartitionTableMutator::FindRecord(bool gpt)
{
    const size_t count = RecordCount();
    if (count == 0)
        return -1;
    const size_t first = Pick(static_cast<uint32_t>(count));
    for (size_t k = 0; k < count; ++k) {
        const size_t i = (first + k) % count;
        const uint8_t* sector = Record(i) + 4;
        if (gpt ? std::memcmp(sector, "EFI PART", 8) == 0 : (sector[510] == 0x55 && sector[511] == 0xAA))
            return static_cast<long>(i);
    }
    return -1;
}

uint32_t PartitionTableMutator::PickLba()
{
    const uint64_t sectors = Sectors();
    switch (Pick(8)) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 63;
    case 3: return 2048;
    case 4: return static_cast<uint32_t>(sectors - 1);
    case 5: return static_cast<uint32_t>(sectors);
    case 6: return static_cast<uint32_t>(sectors + 1 + Pick(4096));
    default: return static_cast<uint32_t>(Pick(static_cast<uint32_t>(sectors)));
    }
}

size_t PartitionTableMutator::Mutate()
{
    switch (Pick(5)) {
    case 0: return EditDosEntry();
    case 1: return LinkExtendedRecord();
    case 2: return EditGptHeader();
    case 3: return EditGptEntry();
    default: return MoveDiskEnd();
    }
}

size_t PartitionTableMutator::EditDosEntry()
{
    const long r = FindRecord(false);
    if (r < 0)
        return 0;
    uint8_t* entry = Record(r) + 4 + 446 + 16 * Pick(4);
    const uint32_t start = PickLba();
    const uint64_t sectors = Sectors();
    uint32_t count;
    switch (Pick(5)) {
    case 0: count = start < sectors ? static_cast<uint32_t>(sectors - start) : 1; break;
    case 1: count = start < sectors ? static_cast<uint32_t>(sectors - start + 1) : 0; break;
    case 2: count = 0; break;
    case 3: count = 0xFFFFFFFF; break;
    default: count = 1 + Pick(1u << 16); break;
    }
    entry[0] = Pick(4) == 0 ? 0x80 : 0x00;
    entry[4] = kDosTypes[Pick(sizeof kDosTypes)];
    StoreLE32(entry + 8, start);
    StoreLE32(entry + 12, count);
    return size_;
}

size_t PartitionTableMutator::LinkExtendedRecord()
{
    // A link in the chain and the record at its end: a copy of a table found in the
    // input, placed where the link points (relative to the first record, as for a
    // link of an extended partition's first record).
    const long r = FindRecord(false);
    if (r < 0 || size_ + SparseDiskInput::kRecordBytes > maxSize_)
        return 0;
    uint8_t* source = Record(r);
    const uint32_t base = LoadLE32(source);
    const uint32_t offset = Pick(3) == 0 ? 0 : 1 + Pick(1u << 16);
    uint8_t* link = source + 4 + 446 + 16 * (1 + Pick(2));
    link[4] = Pick(2) == 0 ? 0x05 : 0x0F;
    StoreLE32(link + 8, offset);
    StoreLE32(link + 12, 1 + Pick(1u << 16));
    uint8_t* added = data_ + size_;
    StoreLE32(added, base + offset);
    std::memcpy(added + 4, source + 4, 512);
    return size_ + SparseDiskInput::kRecordBytes;
}

size_t PartitionTableMutator::EditGptHeader()
{
    const long r = FindRecord(true);
    if (r < 0)
        return 0;
    uint8_t* header = Record(r) + 4;
    const uint64_t sectors = Sectors();
    switch (Pick(6)) {
    case 0: StoreLE64(header + 40, PickLba()); break;                    // first usable
    case 1: StoreLE64(header + 48, PickLba()); break;                    // last usable
    case 2: StoreLE64(header + 32, Pick(2) ? sectors - 1 : PickLba()); break; // alternate header
    case 3: StoreLE64(header + 72, Pick(2) ? 2 : PickLba()); break;     // entries
    case 4: {
        static const uint32_t counts[] = {0, 1, 4, 128, 129, 4096, 0xFFFFFFFF};
        StoreLE32(header + 80, counts[Pick(7)]);
        break;
    }
    default: {
        static const uint32_t sizes[] = {0, 1, 127, 128, 256, 512, 513, 0x80000000};
        StoreLE32(header + 84, sizes[Pick(8)]);
        break;
    }
    }
    return size_;
}

size_t PartitionTableMutator::EditGptEntry()
{
    const long r = FindRecord(true);
    if (r < 0)
        return 0;
    const uint64_t entriesLba = LoadLE64(Record(r) + 4 + 72);
    const size_t count = RecordCount();
    for (size_t i = 0; i < count; ++i) {
        if (LoadLE32(Record(i)) % Sectors() != entriesLba)
            continue;
        uint8_t* entry = Record(i) + 4 + 128 * Pick(4);
        if (std::memcmp(entry, std::string(16, '\0').data(), 16) == 0)
            entry[0] = static_cast<uint8_t>(1 + Pick(255)); // a used slot
        const uint64_t first = PickLba();
        uint64_t last;
        switch (Pick(4)) {
        case 0: last = first + Pick(1u << 16); break;
        case 1: last = first == 0 ? 0 : first - 1; break;       // ends before it starts
        case 2: last = Sectors() - 1 - Pick(40); break;
        default: last = PickLba(); break;
        }
        StoreLE64(entry + 32, first);
        StoreLE64(entry + 40, last);
        return size_;
    }
    return 0;
}

size_t PartitionTableMutator::MoveDiskEnd()
{
    // The disk ends where a DOS entry's partition ends, one sector before or after.
    const long r = FindRecord(false);
    if (r < 0 || size_ < 4)
        return 0;
    const uint8_t* entry = Record(r) + 4 + 446 + 16 * Pick(4);
    const uint64_t end = uint64_t(LoadLE32(Record(r))) + LoadLE32(entry + 8) + LoadLE32(entry + 12);
    const uint64_t sectors = end + Pick(3) - 1;
    if (sectors < SparseDiskInput::kMinSectors || sectors > SparseDiskInput::kMaxSectors)
        return 0;
    StoreLE32(data_, static_cast<uint32_t>(sectors - SparseDiskInput::kMinSectors));
    return size_;
}
