#include "NtfsVolumeMutator.h"

#include <algorithm>
#include <cstring>

#include "LittleEndian.h"
#include "NtfsLayout.h"
#include "NtfsPlainRecord.h"

namespace {

constexpr size_t kSector = 512;

// The records worth most attention: $MFT, the root, $Bitmap, $Boot, $BadClus.
constexpr uint64_t kKeyRecords[] = {0, 0, 0, 5, 5, 6, 6, 6, 7, 8, 8};

void StoreSized(unsigned char* p, unsigned width, uint64_t value)
{
    for (unsigned i = 0; i < width; ++i)
        p[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Bytes needed for a signed little-endian value.
unsigned SignedWidth(int64_t v)
{
    unsigned n = 1;
    while (n < 8) {
        const int64_t low = -(int64_t(1) << (8 * n - 1));
        const int64_t high = (int64_t(1) << (8 * n - 1)) - 1;
        if (v >= low && v <= high)
            break;
        ++n;
    }
    return n;
}

} // namespace

NtfsVolumeMutator::NtfsVolumeMutator(uint8_t* data, size_t size, unsigned seed, ByteMutator byteMutator)
    : data_(data), size_(size), rng_(seed), byteMutator_(byteMutator)
{
}

bool NtfsVolumeMutator::LoadGeometry()
{
    if (size_ < kSector || std::memcmp(data_ + NTFS_BOOT_OEM_ID, "NTFS    ", 8) != 0)
        return false;
    const unsigned code = data_[NTFS_BOOT_SECTORS_PER_CLUSTER];
    uint64_t spc = code <= 0x80 ? code : (code >= 0xF4 ? uint64_t(1) << (256 - code) : 0);
    if (spc == 0)
        spc = 8;
    clusterBytes_ = spc * kSector;
    const int8_t recordCode = static_cast<int8_t>(data_[NTFS_BOOT_CLUSTERS_PER_RECORD]);
    recordBytes_ = recordCode > 0 ? recordCode * clusterBytes_ : (recordCode >= -16 && recordCode < 0 ? uint64_t(1) << -recordCode : 1024);
    if (recordBytes_ < kSector || recordBytes_ > 65536)
        recordBytes_ = 1024;
    const uint64_t mftLcn = LoadLE64(data_ + NTFS_BOOT_MFT_LCN);
    mftOffset_ = mftLcn < size_ / clusterBytes_ ? mftLcn * clusterBytes_ : 0;
    clusters_ = LoadLE64(data_ + NTFS_BOOT_TOTAL_SECTORS) / spc;
    return true;
}

bool NtfsVolumeMutator::Mutate()
{
    if (!LoadGeometry())
        return false;
    const unsigned rounds = 1 + static_cast<unsigned>(Below(3));
    bool changed = false;
    for (unsigned i = 0; i < rounds; ++i)
        changed = MutateOnce() || changed;
    return changed;
}

bool NtfsVolumeMutator::MutateOnce()
{
    switch (Below(12)) {
    case 0:
    case 1:
        MutateBootField();
        return true;
    case 2:
    case 3:
    case 4:
    case 5:
        return MutateRecordField();
    case 6:
    case 7:
        return MutateRecordBytes();
    case 8:
        return MutateIndexBlockBytes();
    case 9:
    case 10:
        return GrowVolumeWithBitmap();
    default:
        return LongSparseRun();
    }
}

uint64_t NtfsVolumeMutator::Interesting(uint64_t current)
{
    const uint64_t volumeBytes = clusters_ * clusterBytes_;
    switch (Below(12)) {
    case 0:
        return current + 1 + Below(16);
    case 1:
        return current - 1 - Below(16);
    case 2:
        return uint64_t(1) << Below(64);
    case 3:
        return (uint64_t(1) << Below(64)) - 1;
    case 4:
        return Below(256);
    case 5:
        return clusters_ + Below(3) - 1;
    case 6:
        return (clusters_ + 7) / 8 + Below(9);
    case 7:
        return volumeBytes + Below(3) * clusterBytes_;
    case 8:
        return size_ / kSector + Below(3) - 1;
    case 9:
        return uint64_t(1) << (44 + Below(5));
    case 10:
        return ~uint64_t(0) - Below(2);
    default:
        return rng_();
    }
}

void NtfsVolumeMutator::MutateBootField()
{
    unsigned char* boot = data_;
    switch (Below(6)) {
    case 0:
        StoreLE64(boot + NTFS_BOOT_TOTAL_SECTORS, Interesting(LoadLE64(boot + NTFS_BOOT_TOTAL_SECTORS)));
        break;
    case 1: {
        static const unsigned char codes[] = {1, 2, 4, 8, 16, 32, 64, 128, 0xF4, 0xF5, 0xF6, 0xF7, 0, 3, 0xFF};
        boot[NTFS_BOOT_SECTORS_PER_CLUSTER] = codes[Below(sizeof codes)];
        break;
    }
    case 2:
        StoreLE64(boot + NTFS_BOOT_MFT_LCN, Interesting(LoadLE64(boot + NTFS_BOOT_MFT_LCN)));
        break;
    case 3:
        StoreLE64(boot + NTFS_BOOT_MFTMIRR_LCN, Interesting(LoadLE64(boot + NTFS_BOOT_MFTMIRR_LCN)));
        break;
    case 4:
        boot[NTFS_BOOT_CLUSTERS_PER_RECORD] = static_cast<unsigned char>(Below(2) ? 0xF6 + Below(5) - 2 : Below(256));
        break;
    default:
        boot[NTFS_BOOT_CLUSTERS_PER_INDEX] = static_cast<unsigned char>(Below(2) ? 0xF4 + Below(5) - 2 : Below(256));
        break;
    }
}

size_t NtfsVolumeMutator::RecordOffset(uint64_t recordNumber) const
{
    return static_cast<size_t>(mftOffset_ + recordNumber * recordBytes_);
}

uint64_t NtfsVolumeMutator::PickRecord()
{
    if (Below(3) != 0)
        return kKeyRecords[Below(sizeof kKeyRecords / sizeof kKeyRecords[0])];
    return Below(40);
}

void NtfsVolumeMutator::SetSizes(size_t attribute, uint64_t size)
{
    if (attribute == 0 || attribute + 64 > record_.Size() || record_.Bytes()[attribute + 8] != 1)
        return;
    const uint64_t allocated = (size + clusterBytes_ - 1) / clusterBytes_ * clusterBytes_;
    StoreLE64(record_.Bytes() + attribute + 40, allocated);
    StoreLE64(record_.Bytes() + attribute + 48, size);
    StoreLE64(record_.Bytes() + attribute + 56, size);
}

void NtfsVolumeMutator::EncodeRun(std::vector<unsigned char>& out, int64_t length, bool sparse, int64_t delta)
{
    const unsigned lengthBytes = SignedWidth(length);
    const unsigned offsetBytes = sparse ? 0 : SignedWidth(delta);
    out.push_back(static_cast<unsigned char>((offsetBytes << 4) | lengthBytes));
    const size_t at = out.size();
    out.resize(at + lengthBytes + offsetBytes);
    StoreSized(out.data() + at, lengthBytes, static_cast<uint64_t>(length));
    StoreSized(out.data() + at + lengthBytes, offsetBytes, static_cast<uint64_t>(delta));
}

std::vector<unsigned char> NtfsVolumeMutator::RandomRuns()
{
    std::vector<unsigned char> pairs;
    const unsigned runs = 1 + static_cast<unsigned>(Below(4));
    int64_t lcn = 0;
    for (unsigned i = 0; i < runs; ++i) {
        int64_t length = 0;
        switch (Below(6)) {
        case 0: length = int64_t(1) << 44; break;
        case 1: length = (int64_t(1) << 48) - 1; break;
        case 2: length = static_cast<int64_t>(clusters_) + static_cast<int64_t>(Below(3)) - 1; break;
        case 3: length = static_cast<int64_t>(Interesting(1)); break;
        default: length = 1 + static_cast<int64_t>(Below(16)); break;
        }
        const bool sparse = Below(3) == 0;
        int64_t target = static_cast<int64_t>(Below(clusters_ + 2));
        if (Below(8) == 0)
            target = static_cast<int64_t>(Interesting(static_cast<uint64_t>(target)));
        EncodeRun(pairs, length, sparse, static_cast<int64_t>(static_cast<uint64_t>(target) - static_cast<uint64_t>(lcn)));
        if (!sparse)
            lcn = target;
    }
    pairs.push_back(0);
    return pairs;
}

void NtfsVolumeMutator::WriteRuns(size_t attribute, const std::vector<unsigned char>& pairs)
{
    if (attribute == 0 || attribute + 64 > record_.Size() || record_.Bytes()[attribute + 8] != 1)
        return;
    const size_t length = LoadLE32(record_.Bytes() + attribute + 4);
    size_t offset = LoadLE16(record_.Bytes() + attribute + 32);
    if (offset >= length || attribute + length > record_.Size())
        return;
    // An attribute made for one short run has 8 bytes for its pairs: a longer list
    // takes the initialised size's place too (the lowest offset the layer takes).
    if (pairs.size() > length - offset && offset > NTFS_NONRESIDENT_HEADER_SIZE - 8) {
        offset = NTFS_NONRESIDENT_HEADER_SIZE - 8;
        StoreLE16(record_.Bytes() + attribute + 32, static_cast<uint16_t>(offset));
    }
    const size_t room = length - offset;
    std::memset(record_.Bytes() + attribute + offset, 0, room);
    std::memcpy(record_.Bytes() + attribute + offset, pairs.data(), std::min(room, pairs.size()));
}

bool NtfsVolumeMutator::MutateRecordField()
{
    if (!record_.Load(data_, size_, RecordOffset(PickRecord()), static_cast<size_t>(recordBytes_)))
        return false;
    const std::vector<size_t> attributes = record_.Attributes();
    unsigned char* r = record_.Bytes();
    if (attributes.empty() || Below(6) == 0) {
        // A field of the record head.
        static const struct { size_t offset; unsigned width; } fields[] = {
            {20, 2}, {22, 2}, {24, 4}, {28, 4}, {32, 8}, {16, 2}, {44, 4}};
        const auto& f = fields[Below(sizeof fields / sizeof fields[0])];
        StoreSized(r + f.offset, f.width, Interesting(0));
        record_.Store();
        return true;
    }
    const size_t a = attributes[Below(attributes.size())];
    const bool nonResident = r[a + 8] == 1 && a + 64 <= record_.Size();
    switch (Below(nonResident ? 8 : 4)) {
    case 0:
        StoreLE32(r + a + 4, static_cast<uint32_t>(Interesting(LoadLE32(r + a + 4))));
        break;
    case 1:
        r[a + 9] = static_cast<unsigned char>(Below(256)); // name length
        break;
    case 2:
        if (nonResident)
            StoreLE16(r + a + 32, static_cast<uint16_t>(Interesting(LoadLE16(r + a + 32))));
        else
            StoreLE32(r + a + 16, static_cast<uint32_t>(Interesting(LoadLE32(r + a + 16))));
        break;
    case 3:
        if (nonResident)
            StoreLE64(r + a + 16 + 8 * Below(2), Interesting(LoadLE64(r + a + 16)));
        else
            StoreLE16(r + a + 20, static_cast<uint16_t>(Interesting(LoadLE16(r + a + 20))));
        break;
    case 4:
    case 5:
        WriteRuns(a, RandomRuns());
        break;
    case 6:
        SetSizes(a, Interesting(LoadLE64(r + a + 48)));
        break;
    default:
        StoreLE64(r + a + 40 + 8 * Below(3), Interesting(LoadLE64(r + a + 48)));
        break;
    }
    record_.Store();
    return true;
}

bool NtfsVolumeMutator::MutateRecordBytes()
{
    if (byteMutator_ == nullptr)
        return false;
    if (Below(4) == 0) {
        byteMutator_(data_, kSector, kSector); // the boot sector
        return true;
    }
    if (!record_.Load(data_, size_, RecordOffset(PickRecord()), static_cast<size_t>(recordBytes_)))
        return false;
    byteMutator_(record_.Bytes(), record_.Size(), record_.Size());
    record_.Store();
    return true;
}

bool NtfsVolumeMutator::MutateIndexBlockBytes()
{
    if (byteMutator_ == nullptr)
        return false;
    std::vector<size_t> blocks;
    for (size_t at = 0; at + 4096 <= size_ && blocks.size() < 64; at += kSector) {
        if (LoadLE32(data_ + at) == NTFS_INDX_MAGIC)
            blocks.push_back(at);
    }
    if (blocks.empty() || !record_.Load(data_, size_, blocks[Below(blocks.size())], 4096))
        return false;
    byteMutator_(record_.Bytes(), record_.Size(), record_.Size());
    record_.Store();
    return true;
}

bool NtfsVolumeMutator::GrowVolumeWithBitmap()
{
    // A claimed size from twice the device to the largest the layer takes.
    const uint64_t spc = clusterBytes_ / kSector;
    const uint64_t sectors = Below(2) ? (size_ / kSector) * (2 + Below(4096)) : uint64_t(1) << (24 + Below(30));
    StoreLE64(data_ + NTFS_BOOT_TOTAL_SECTORS, sectors);
    const uint64_t clusters = sectors / spc;
    if (Below(2)) {
        if (!record_.Load(data_, size_, RecordOffset(NTFS_FILE_BITMAP), static_cast<size_t>(recordBytes_)))
            return true;
        SetSizes(record_.FindAttribute(NTFS_AT_DATA), (clusters + 63) / 64 * 8);
    } else {
        if (!record_.Load(data_, size_, RecordOffset(NTFS_FILE_MFT), static_cast<size_t>(recordBytes_)))
            return true;
        SetSizes(record_.FindAttribute(NTFS_AT_BITMAP), (clusters * clusterBytes_ / recordBytes_ + 63) / 64 * 8);
    }
    record_.Store();
    return true;
}

bool NtfsVolumeMutator::LongSparseRun()
{
    // One attribute whose run list opens with a sparse run whose byte length is
    // 2^64 or more: 2^64 / cluster bytes clusters (2^48 of 64 KiB, 2^44 of 1 MiB),
    // sometimes after a change to clusters of 1 or 2 MiB.
    if (Below(4) == 0) {
        data_[NTFS_BOOT_SECTORS_PER_CLUSTER] = static_cast<unsigned char>(0xF5 - Below(2));
        LoadGeometry();
    }
    // Mostly a record whose values the reader reads whole while it starts.
    const uint64_t record = kKeyRecords[Below(sizeof kKeyRecords / sizeof kKeyRecords[0])];
    if (!record_.Load(data_, size_, RecordOffset(record), static_cast<size_t>(recordBytes_)))
        return false;
    std::vector<size_t> candidates;
    for (size_t a : record_.Attributes()) {
        if (record_.Bytes()[a + 8] == 1 && a + 64 <= record_.Size())
            candidates.push_back(a);
    }
    if (candidates.empty())
        return false;
    const size_t a = candidates[Below(candidates.size())];
    int64_t length = 0;
    switch (Below(4)) {
    case 0: length = int64_t(1) << 44; break;
    case 1: length = int64_t(1) << 48; break;
    case 2: length = (int64_t(1) << 48) - 1 - static_cast<int64_t>(Below(4)); break;
    default: {
        // The least run that wraps for this cluster size (clusters are powers of two).
        unsigned shift = 0;
        while (shift < 63 && (uint64_t(1) << shift) < clusterBytes_)
            ++shift;
        length = int64_t(1) << std::max(40u, 64 - shift);
        break;
    }
    }
    std::vector<unsigned char> pairs;
    EncodeRun(pairs, length, true, 0);
    pairs.push_back(0);
    WriteRuns(a, pairs);
    StoreLE64(record_.Bytes() + a + 24, static_cast<uint64_t>(LoadLE64(record_.Bytes() + a + 16) + length - 1));
    if (Below(2))
        SetSizes(a, uint64_t(1) << 62);
    record_.Store();
    return true;
}
