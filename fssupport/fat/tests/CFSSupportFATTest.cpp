// The FAT reader over hand-made volumes: calls out of order, the FAT type
// boundaries, damaged and hostile boot sectors, FATs and directory trees.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "FatResultCodes.h"
#include "KSFSSupport.h"
#include "MemoryFatVolume.h"

namespace {

struct ReaderDeleter {
    void operator()(IKSFSSupport* r) const
    {
        if (r != nullptr)
            r->Release();
    }
};
using ReaderPtr = std::unique_ptr<IKSFSSupport, ReaderDeleter>;

ReaderPtr NewReader()
{
    void* object = nullptr;
    EXPECT_EQ(KSCreateObjectFsFat(1, 4, &object), 0ul);
    return ReaderPtr(static_cast<IKSFSSupport*>(object));
}

unsigned long Init(IKSFSSupport& reader, VolumeImage& image)
{
    return reader.InitFileSystem(VolumeImage::Read, VolumeImage::WriteRecord, &image);
}

bool ClusterBit(IKSFSSupport& reader, uint32_t cluster)
{
    std::vector<unsigned char> bits(1 << 16, 0);
    unsigned long long first = 0;
    unsigned long count = 0xFFFFFFFF;
    EXPECT_EQ(reader.GetBitMap(bits.data(), &first, &count), 0ul);
    const uint32_t bit = cluster - 2;
    return bit < count && (bits[bit / 8] & (1u << (bit % 8))) != 0;
}

_KS_FILTERS_HEAD gFilters{0, 8};

TEST(FenlowFactory, MakesAFreshReaderAndRefusesANullOutPointer)
{
    EXPECT_EQ(KSResultKind(KSCreateObjectFsFat(1, 4, nullptr)), KS_KIND_BAD_ARGUMENT);
    void* object = nullptr;
    // Neither version nor kind is checked.
    ASSERT_EQ(KSCreateObjectFsFat(99, 99, &object), 0ul);
    ASSERT_NE(object, nullptr);
    IKSFSSupport* reader = static_cast<IKSFSSupport*>(object);
    EXPECT_EQ(reader->GetFileSystem(), 255ul);
    EXPECT_EQ(reader->Release(), 0ul);
}

TEST(CFSSupportFAT, EveryOperationBeforeInitialisationFailsCleanly)
{
    ReaderPtr reader = NewReader();
    unsigned char buffer[512];
    EXPECT_EQ(reader->ReadSectors(0, 1, buffer), FatResult::NoReadCallback);
    _KS_VOLUME v{};
    EXPECT_EQ(reader->GetVolumeInfo(nullptr), FatResult::NullVolume);
    EXPECT_EQ(reader->GetVolumeInfo(&v), FatResult::VolumeInfoNotReady);
    EXPECT_EQ(reader->WalkThroughVolume(&gFilters), FatResult::WalkNotReady);
    EXPECT_EQ(reader->WriteSpecialInfo(), FatResult::SpecialInfoNotReady);
    EXPECT_EQ(reader->CheckFileSystem(), FatResult::CheckNotReady);
    std::memset(buffer, 0x5A, sizeof buffer);
    unsigned long long first = 0;
    unsigned long count = 64;
    EXPECT_EQ(KSResultKind(reader->GetBitMap(buffer, &first, &count)), 0x005ul);
    EXPECT_EQ(buffer[0], 0x5A);
    EXPECT_EQ(count, 64ul);

    VolumeImage image;
    EXPECT_EQ(reader->InitFileSystem(nullptr, VolumeImage::WriteRecord, &image), FatResult::NullCallback);
    EXPECT_EQ(reader->InitFileSystem(VolumeImage::Read, nullptr, &image), FatResult::NullCallback);
    EXPECT_EQ(Init(*reader, image), FatResult::BootSectorRead); // an empty volume
}

struct KindCase {
    int bits;
    uint32_t clusters;
    unsigned long result;
    unsigned long kind;
};

TEST(CFSSupportFAT, ClusterCountDecidesTheFatType)
{
    const KindCase cases[] = {
        {12, 4084, 0, KS_FS_FAT12},
        {16, 4085, 0, KS_FS_FAT16},
        {16, 65524, 0, KS_FS_FAT16},
        {16, 65525, FatResult::CheckFailed, 0},
        {32, 65524, FatResult::CheckFailed, 0},
        {32, 65525, 0, KS_FS_FAT32},
    };
    for (const KindCase& c : cases) {
        FatShape shape{c.bits, c.clusters};
        MemoryFatVolume volume(shape);
        ReaderPtr reader = NewReader();
        EXPECT_EQ(Init(*reader, volume.image), c.result) << c.bits << " " << c.clusters;
        if (c.result == 0) {
            EXPECT_EQ(reader->GetFileSystem(), c.kind);
            _KS_VOLUME v{};
            ASSERT_EQ(reader->GetVolumeInfo(&v), 0ul);
            EXPECT_EQ(v.BitmapSize, (c.clusters + 7) / 8);
            // The last cluster is reachable through the entry width the count chose.
            volume.SetFat(c.clusters + 1, 0x0FFFFFFF);
            ASSERT_EQ(Init(*reader, volume.image), 0ul);
            EXPECT_TRUE(ClusterBit(*reader, c.clusters + 1));
            EXPECT_FALSE(ClusterBit(*reader, c.clusters));
        }
    }
}

TEST(CFSSupportFAT, FatTypeTextWithTheOtherWidthStillFollowsTheCount)
{
    // A boot sector that says FAT12 over 4,085 clusters has 16-bit entries.
    MemoryFatVolume volume(FatShape{16, 4085});
    std::memcpy(volume.image.bytes.data() + 54, "FAT12   ", 8);
    volume.SetFat(4086, 0xFFFF);
    ReaderPtr reader = NewReader();
    ASSERT_EQ(Init(*reader, volume.image), 0ul);
    EXPECT_EQ(reader->GetFileSystem(), static_cast<unsigned long>(KS_FS_FAT16));
    EXPECT_TRUE(ClusterBit(*reader, 4086));
}

struct MediaCase {
    int bits;
    uint8_t media;
    uint32_t entry0;
    uint32_t entry1;
    unsigned long result;
};

TEST(CFSSupportFAT, ReservedEntriesFollowTheMediaByte)
{
    const MediaCase cases[] = {
        {12, 0xF0, 0xFF0, 0xFFF, 0},
        {16, 0xF0, 0xFFF0, 0xFFFF, 0},
        {32, 0xF0, 0x0FFFFFF0, 0x0FFFFFFF, 0},
        {12, 0xF9, 0xFF9, 0xFFF, 0},               // media bytes above 0xF8 lie in the
        {16, 0xFA, 0xFFFA, 0xFFFF, 0},             // end-of-chain range of the entry
        {12, 0xFF, 0xFFF, 0xFFF, 0},
        {16, 0xF9, 0xFFF8, 0xFFFF, FatResult::CheckFailed},
        {16, 0xF8, 0xFFF8, 0x7FFF, 0},             // marked not cleanly unmounted
        {32, 0xF8, 0x0FFFFFF8, 0x03FFFFFF, 0},     // not clean, disk error seen
        {32, 0xF8, 0xFFFFFFF8, 0xFFFFFFFF, 0},     // reserved top bits set
        {16, 0xF0, 0xFFF8, 0xFFFF, FatResult::CheckFailed},
        {16, 0xF8, 0x00F8, 0xFFFF, FatResult::CheckFailed},
        {12, 0xF8, 0xFF8, 0x000, FatResult::CheckFailed},
        {32, 0xF8, 0x0FFFFFF8, 0x0FFFFF00, FatResult::CheckFailed},
    };
    for (const MediaCase& c : cases) {
        FatShape shape{c.bits, c.bits == 12 ? 100u : c.bits == 16 ? 5000u : 70000u};
        shape.media = c.media;
        MemoryFatVolume volume(shape);
        volume.SetFat(0, c.entry0);
        volume.SetFat(1, c.entry1);
        ReaderPtr reader = NewReader();
        EXPECT_EQ(Init(*reader, volume.image), c.result)
            << c.bits << " media " << int(c.media) << " entry0 " << c.entry0 << " entry1 " << c.entry1;
    }
}

struct BootCase {
    const char* what;
    int bits;
    void (*damage)(MemoryFatVolume&);
    unsigned long result; // exact code, or only a kind when below 0x1000
};

TEST(CFSSupportFAT, DamagedOrHostileBootSectorsGiveResultCodes)
{
    const BootCase cases[] = {
        {"4096-byte sectors", 16, [](MemoryFatVolume& v) { StoreLE16(v.image.bytes.data() + 11, 4096); },
         FatResult::NoLabelKind},
        {"3 sectors per cluster", 16, [](MemoryFatVolume& v) { v.image.bytes[13] = 3; }, FatResult::NoLabelKind},
        {"three FATs", 16, [](MemoryFatVolume& v) { v.image.bytes[16] = 3; }, FatResult::NoLabelKind},
        {"100 root entries", 16, [](MemoryFatVolume& v) { StoreLE16(v.image.bytes.data() + 17, 100); },
         FatResult::NoLabelKind},
        {"no signature", 32, [](MemoryFatVolume& v) { v.image.bytes[511] = 0; }, FatResult::NoLabelKind},
        {"no type text", 32, [](MemoryFatVolume& v) { v.image.bytes[82] = 'X'; }, FatResult::NoLabelKind},
        {"FATs beyond the volume", 16, [](MemoryFatVolume& v) { StoreLE16(v.image.bytes.data() + 22, 0xFFFF); },
         0x006},
        {"no reserved sector", 16, [](MemoryFatVolume& v) { StoreLE16(v.image.bytes.data() + 14, 0); }, 0x006},
        {"FAT32 FAT of 2^31 sectors for 2^24 clusters", 32,
         [](MemoryFatVolume& v) {
             v.image.bytes[13] = 128;
             v.image.bytes[16] = 1;
             StoreLE32(v.image.bytes.data() + 32, 0xFFFFFFFF);
             StoreLE32(v.image.bytes.data() + 36, 0x7FFFFFFF);
         },
         FatResult::FatLoad},
        {"FAT32 with a 2^32-sector count at one sector per cluster", 32,
         [](MemoryFatVolume& v) { StoreLE32(v.image.bytes.data() + 32, 0xFFFFFFFF); }, FatResult::CheckFailed},
        {"FAT too small for its clusters", 16,
         [](MemoryFatVolume& v) {
             // Half the FAT sectors, the volume grown so the cluster count stays.
             StoreLE16(v.image.bytes.data() + 22, static_cast<uint16_t>(v.sectorsPerFat / 2));
         },
         FatResult::CheckFailed},
        {"first byte 0", 16, [](MemoryFatVolume& v) { v.image.bytes[0] = 0; }, FatResult::CheckFailed},
        {"FAT32 root cluster 0", 32, [](MemoryFatVolume& v) { StoreLE32(v.image.bytes.data() + 44, 0); },
         FatResult::CheckFailed},
        {"FAT32 root cluster past the end", 32,
         [](MemoryFatVolume& v) { StoreLE32(v.image.bytes.data() + 44, v.shape.clusters + 2); },
         FatResult::CheckFailed},
        {"FAT32 root chain loops", 32, [](MemoryFatVolume& v) { v.SetFat(2, 2); }, FatResult::CheckFailed},
        {"FAT32 root chain runs into a free cluster", 32, [](MemoryFatVolume& v) { v.SetFat(2, 3); },
         FatResult::CheckFailed},
    };
    for (const BootCase& c : cases) {
        MemoryFatVolume volume(FatShape{c.bits, c.bits == 16 ? 5000u : 70000u});
        c.damage(volume);
        ReaderPtr reader = NewReader();
        const unsigned long rc = Init(*reader, volume.image);
        if (c.result < 0x1000) {
            EXPECT_EQ(KSResultKind(rc), c.result) << c.what;
            EXPECT_EQ(KSResultModule(rc), KS_MODULE_FSSUPPORT) << c.what;
        } else {
            EXPECT_EQ(rc, c.result) << c.what;
        }
        // Nothing past a failed start works.
        _KS_VOLUME v{};
        EXPECT_TRUE(KSFailed(reader->GetVolumeInfo(&v))) << c.what;
        EXPECT_TRUE(KSFailed(reader->WalkThroughVolume(&gFilters))) << c.what;
    }
}

class SmallFat16 : public ::testing::Test {
protected:
    SmallFat16() : volume_(FatShape{16, 5000}) {}
    unsigned long Start() { return Init(*reader_, volume_.image); }

    MemoryFatVolume volume_;
    ReaderPtr reader_ = NewReader();
};

TEST_F(SmallFat16, GetBitMapCopiesWholeBytesWithinTheBitmap)
{
    volume_.Chain({10, 11, 12});
    volume_.Chain({5001});
    ASSERT_EQ(Start(), 0ul);
    unsigned char out[700];
    std::memset(out, 0x5A, sizeof out);

    unsigned long long first = 4;
    unsigned long count = 16;
    EXPECT_EQ(KSResultKind(reader_->GetBitMap(out, &first, &count)), KS_KIND_BAD_ARGUMENT);
    EXPECT_EQ(out[0], 0x5A);

    first = 8; // clusters 10 .. 17
    count = 8;
    ASSERT_EQ(reader_->GetBitMap(out, &first, &count), 0ul);
    EXPECT_EQ(out[0], 0x07);
    EXPECT_EQ(out[1], 0x5A);

    first = 4992; // the last byte: clusters 4994 .. 5001
    count = 100;
    ASSERT_EQ(reader_->GetBitMap(out, &first, &count), 0ul);
    EXPECT_EQ(count, 8ul);
    EXPECT_EQ(out[0], 0x80);
    EXPECT_EQ(out[1], 0x5A);

    first = 5000;
    count = 100;
    ASSERT_EQ(reader_->GetBitMap(out, &first, &count), 0ul);
    EXPECT_EQ(count, 0ul);

    first = 5008; // past the end: refused, the count is left alone
    count = 100;
    EXPECT_EQ(KSResultKind(reader_->GetBitMap(out, &first, &count)), KS_KIND_BAD_ARGUMENT);
    EXPECT_EQ(count, 100ul);
    first = 0;
    EXPECT_EQ(KSResultKind(reader_->GetBitMap(nullptr, &first, &count)), KS_KIND_BAD_ARGUMENT);
    EXPECT_EQ(KSResultKind(reader_->GetBitMap(out, nullptr, &count)), KS_KIND_BAD_ARGUMENT);
    EXPECT_EQ(KSResultKind(reader_->GetBitMap(out, &first, nullptr)), KS_KIND_BAD_ARGUMENT);
}

TEST_F(SmallFat16, BadClusterMarksCountAsUsed)
{
    volume_.SetFat(20, 0xFFF7);
    ASSERT_EQ(Start(), 0ul);
    EXPECT_TRUE(ClusterBit(*reader_, 20));
    EXPECT_FALSE(ClusterBit(*reader_, 21));
}

TEST_F(SmallFat16, SpecialInfoBeforeTheWalkIsRefused)
{
    ASSERT_EQ(Start(), 0ul);
    EXPECT_EQ(KSResultKind(reader_->WriteSpecialInfo()), 0x006ul);
    EXPECT_TRUE(volume_.image.writes.empty());
    ASSERT_EQ(reader_->WalkThroughVolume(nullptr), 0ul);
    EXPECT_EQ(reader_->WriteSpecialInfo(), 0ul);
}

TEST_F(SmallFat16, PageFileInTheLastTwoClustersIsRemoved)
{
    MemoryFatVolume::PutEntry(volume_.RootSlot(0), "PAGEFILESYS", 0x20, 5000, 1024);
    volume_.Chain({5000, 5001});
    ASSERT_EQ(Start(), 0ul);
    ASSERT_EQ(reader_->WalkThroughVolume(nullptr), 0ul);
    EXPECT_FALSE(ClusterBit(*reader_, 5000));
    EXPECT_FALSE(ClusterBit(*reader_, 5001));
}

TEST_F(SmallFat16, OnlyRealRootFilesNamedLikeSystemFilesAreRemoved)
{
    // A directory, a file with a looping chain, and a file under an orphaned long
    // name that spells pagefile.sys: all stay.
    MemoryFatVolume::PutEntry(volume_.RootSlot(0), "PAGEFILESYS", 0x10, 100, 0);
    volume_.Chain({100});
    MemoryFatVolume::PutEntry(volume_.RootSlot(1), "HIBERFILSYS", 0x20, 200, 2048);
    volume_.Chain({200, 201});
    volume_.SetFat(201, 200);
    MemoryFatVolume::PutLongNamePart(volume_.RootSlot(2), 0x41, 0x00, "pagefile.sys");
    MemoryFatVolume::PutEntry(volume_.RootSlot(3), "KEEP    TXT", 0x20, 300, 512);
    volume_.Chain({300});
    // A long-name entry with sequence number 0, then a real page file under its long name.
    MemoryFatVolume::PutLongNamePart(volume_.RootSlot(4), 0x40, 0x00, "x");
    const char* shortName = "PAGEFI~1SYS";
    MemoryFatVolume::PutLongNamePart(volume_.RootSlot(5), 0x41, MemoryFatVolume::Checksum(shortName), "PageFile.SYS");
    MemoryFatVolume::PutEntry(volume_.RootSlot(6), shortName, 0x20, 400, 512);
    volume_.Chain({400});
    ASSERT_EQ(Start(), 0ul);
    ASSERT_EQ(reader_->WalkThroughVolume(nullptr), 0ul);
    EXPECT_TRUE(ClusterBit(*reader_, 100));
    EXPECT_TRUE(ClusterBit(*reader_, 200));
    EXPECT_TRUE(ClusterBit(*reader_, 201));
    EXPECT_TRUE(ClusterBit(*reader_, 300));
    EXPECT_FALSE(ClusterBit(*reader_, 400));

    ASSERT_EQ(reader_->WriteSpecialInfo(), 0ul);
    std::vector<unsigned char> root;
    for (const VolumeImage::Write& w : volume_.image.writes)
        if (w.first >= volume_.firstDataSector - 32 && w.first < volume_.firstDataSector)
            root.insert(root.end(), w.data.begin(), w.data.end());
    ASSERT_GE(root.size(), 7u * 32);
    EXPECT_EQ(root[0 * 32], 'P');
    EXPECT_EQ(root[1 * 32], 'H');
    EXPECT_EQ(root[3 * 32], 'K');
    EXPECT_EQ(root[5 * 32], 0xE5); // the long name goes with its file
    EXPECT_EQ(root[6 * 32], 0xE5);
}

TEST_F(SmallFat16, VolumeLabelNamedLikeThePageFileIsAnError)
{
    MemoryFatVolume::PutEntry(volume_.RootSlot(0), "PAGEFILESYS", 0x08, 0, 0);
    ASSERT_EQ(Start(), 0ul);
    EXPECT_EQ(reader_->WalkThroughVolume(nullptr), FatResult::SystemFileIsLabel);
}

TEST_F(SmallFat16, CallbackFailuresComeBackUnchanged)
{
    ASSERT_EQ(Start(), 0ul);
    volume_.image.failReads = true;
    EXPECT_EQ(reader_->WalkThroughVolume(nullptr), VolumeImage::kReadFailure);
    EXPECT_EQ(reader_->CheckFileSystem(), VolumeImage::kReadFailure);
}

// Makes a chain of nested folders, each in one cluster from cluster 10 on.
void NestFolders(MemoryFatVolume& volume, unsigned depth)
{
    MemoryFatVolume::PutEntry(volume.RootSlot(0), "DIR        ", 0x10, 10, 0);
    for (unsigned i = 0; i < depth; ++i) {
        const uint32_t cluster = 10 + i;
        volume.Chain({cluster});
        MemoryFatVolume::PutEntry(volume.Cluster(cluster), ".          ", 0x10, cluster, 0);
        MemoryFatVolume::PutEntry(volume.Cluster(cluster) + 32, "..         ", 0x10, i == 0 ? 0 : cluster - 1, 0);
        if (i + 1 < depth)
            MemoryFatVolume::PutEntry(volume.Cluster(cluster) + 64, "DIR        ", 0x10, cluster + 1, 0);
    }
}

TEST_F(SmallFat16, DeepTreesAreWalkedUpToALimit)
{
    NestFolders(volume_, 200);
    ASSERT_EQ(Start(), 0ul);
    EXPECT_EQ(reader_->WalkThroughVolume(&gFilters), 0ul);
    EXPECT_EQ(volume_.image.writes.size(), 200u);

    MemoryFatVolume deeper(FatShape{16, 5000});
    NestFolders(deeper, 1000);
    ReaderPtr reader = NewReader();
    ASSERT_EQ(Init(*reader, deeper.image), 0ul);
    const unsigned long rc = reader->WalkThroughVolume(&gFilters);
    EXPECT_EQ(KSResultKind(rc), 0x006ul);
    EXPECT_EQ(KSResultModule(rc), KS_MODULE_FSSUPPORT);
}

struct TreeCase {
    const char* what;
    void (*damage)(MemoryFatVolume&);
    unsigned long result; // exact code, or only a kind when below 0x1000
};

TEST(CFSSupportFATTree, DamagedFolderTreesGiveResultCodes)
{
    const TreeCase cases[] = {
        {"a folder that contains itself",
         [](MemoryFatVolume& v) { MemoryFatVolume::PutEntry(v.Cluster(12) + 64, "LOOP       ", 0x10, 10, 0); }, 0x006},
        {"a folder whose chain runs into its parent",
         [](MemoryFatVolume& v) { v.SetFat(12, 10); }, 0x006},
        {"a folder chain that ends in a free cluster",
         [](MemoryFatVolume& v) { v.SetFat(11, 0); }, FatResult::ChainNotEndedBeforeWalk},
        {"a folder that starts at cluster 0",
         [](MemoryFatVolume& v) { MemoryFatVolume::PutEntry(v.Cluster(11) + 64, "DIR        ", 0x10, 0, 0); },
         FatResult::ChainNotEndedBeforeWalk},
        {"a folder over 2 MiB",
         [](MemoryFatVolume& v) {
             std::vector<uint32_t> chain;
             for (uint32_t c = 12; c < 12 + 4200; ++c)
                 chain.push_back(c);
             v.Chain(chain);
         },
         0x006},
    };
    for (const TreeCase& c : cases) {
        MemoryFatVolume volume(FatShape{16, 5000});
        NestFolders(volume, 3);
        c.damage(volume);
        ReaderPtr reader = NewReader();
        ASSERT_EQ(Init(*reader, volume.image), 0ul) << c.what;
        const unsigned long rc = reader->WalkThroughVolume(&gFilters);
        if (c.result < 0x1000)
            EXPECT_EQ(KSResultKind(rc), c.result) << c.what;
        else
            EXPECT_EQ(rc, c.result) << c.what;
        // Without a filters record the folders are not entered at all.
        EXPECT_EQ(reader->WalkThroughVolume(nullptr), 0ul) << c.what;
    }
}

TEST(CFSSupportFATTree, Fat32RootChainIsHandedOutAndLeftOutOfTheBitmap)
{
    MemoryFatVolume volume(FatShape{32, 70000});
    volume.Chain({2, 7, 9});
    MemoryFatVolume::PutEntry(volume.RootSlot(0), "HIBERFILSYS", 0x20, 20, 4096);
    volume.Chain({20, 21, 30});
    ReaderPtr reader = NewReader();
    ASSERT_EQ(Init(*reader, volume.image), 0ul);
    ASSERT_EQ(reader->WalkThroughVolume(nullptr), 0ul);
    ASSERT_EQ(volume.image.writes.size(), 3u);
    EXPECT_EQ(volume.image.writes[0].first, volume.firstDataSector);
    EXPECT_EQ(volume.image.writes[1].first, volume.firstDataSector + 5);
    EXPECT_EQ(volume.image.writes[2].first, volume.firstDataSector + 7);
    EXPECT_EQ(volume.image.writes[0].data[0], 0xE5);
    for (uint32_t c : {2u, 7u, 9u, 20u, 21u, 30u})
        EXPECT_FALSE(ClusterBit(*reader, c)) << c;
}

} // namespace

TEST(CFSSupportFATTree, Fat32ChainsIgnoreTheReservedTopBitsOfTheirEntries)
{
    // The top four bits of a FAT32 entry are reserved: a chain goes on through the
    // low 28 bits, and freeing a cluster keeps the top four as they were.
    MemoryFatVolume volume(FatShape{32, 70000});
    volume.SetFat(2, 0xA0000007);
    volume.SetFat(7, 0x50000009);
    volume.SetFat(9, 0x7FFFFFFF);
    MemoryFatVolume::PutEntry(volume.RootSlot(0), "PAGEFILESYS", 0x20, 20, 4096);
    volume.SetFat(20, 0x30000015);
    volume.SetFat(21, 0xC000001E);
    volume.SetFat(30, 0x1FFFFFF8);
    ReaderPtr reader = NewReader();
    ASSERT_EQ(Init(*reader, volume.image), 0ul);
    for (uint32_t c : {20u, 21u, 30u})
        EXPECT_TRUE(ClusterBit(*reader, c)) << c;
    ASSERT_EQ(reader->WalkThroughVolume(nullptr), 0ul);
    ASSERT_EQ(volume.image.writes.size(), 3u) << "the whole root chain goes out";
    EXPECT_EQ(volume.image.writes[2].first, volume.firstDataSector + 7);
    for (uint32_t c : {2u, 7u, 9u, 20u, 21u, 30u})
        EXPECT_FALSE(ClusterBit(*reader, c)) << c;

    volume.image.writes.clear();
    ASSERT_EQ(reader->WriteSpecialInfo(), 0ul);
    const uint64_t fatSector = volume.shape.reservedSectors;
    bool fatSeen = false;
    for (const auto& write : volume.image.writes) {
        if (write.first > fatSector || write.first + write.data.size() / 512 <= fatSector)
            continue;
        fatSeen = true;
        const unsigned char* fat = write.data.data() + (fatSector - write.first) * 512;
        EXPECT_EQ(LoadLE32(fat + 20 * 4), 0x30000000u);
        EXPECT_EQ(LoadLE32(fat + 21 * 4), 0xC0000000u);
        EXPECT_EQ(LoadLE32(fat + 30 * 4), 0x10000000u);
        EXPECT_EQ(LoadLE32(fat + 2 * 4), 0xA0000007u);
    }
    EXPECT_TRUE(fatSeen);
}
