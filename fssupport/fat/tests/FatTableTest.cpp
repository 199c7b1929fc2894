// FAT entry access, chain following and long-name assembly on hand-made bytes.
#include <gtest/gtest.h>

#include <vector>

#include "FatClusterChain.h"
#include "FatLongName.h"
#include "FatResultCodes.h"
#include "FatTable.h"
#include "MemoryFatVolume.h"

namespace {

FatTable TableOf(unsigned long kind, size_t bytes)
{
    FatTable t;
    t.Assign(kind, std::vector<unsigned char>(bytes, 0));
    return t;
}

TEST(FatTable, Fat12EntriesShareBytesWithoutDisturbingTheirNeighbours)
{
    FatTable t = TableOf(KS_FS_FAT12, 12); // 8 whole entries
    ASSERT_EQ(t.SetEntry(2, 0xABC), 0ul);
    ASSERT_EQ(t.SetEntry(3, 0x123), 0ul);
    ASSERT_EQ(t.SetEntry(4, 0x456), 0ul);
    EXPECT_EQ(t.Entry(2), 0xABCu);
    EXPECT_EQ(t.Entry(3), 0x123u);
    EXPECT_EQ(t.Entry(4), 0x456u);
    // Bytes 3..5 hold entries 2 and 3: BC 3A 12.
    EXPECT_EQ(t.Bytes()[3], 0xBC);
    EXPECT_EQ(t.Bytes()[4], 0x3A);
    EXPECT_EQ(t.Bytes()[5], 0x12);
    ASSERT_EQ(t.SetEntry(3, 0xFF9), 0ul);
    EXPECT_EQ(t.Entry(3), FatTable::kEndOfChain);
    EXPECT_EQ(t.Entry(2), 0xABCu);
    EXPECT_EQ(t.EntryCapacity(), 8u);
}

struct OutOfRangeCase {
    unsigned long kind;
    size_t bytes;
    uint32_t firstOutside;
    uint32_t readsAs;
};

TEST(FatTable, EntriesOutsideTheBufferAreNeverTouched)
{
    const OutOfRangeCase cases[] = {
        {KS_FS_FAT12, 12, 8, FatTable::kEndOfChain},
        {KS_FS_FAT16, 10, 5, 0},
        {KS_FS_FAT32, 10, 2, 0},
    };
    for (const OutOfRangeCase& c : cases) {
        FatTable t = TableOf(c.kind, c.bytes);
        EXPECT_EQ(t.Entry(c.firstOutside), c.readsAs) << c.kind;
        EXPECT_EQ(t.Entry(0xFFFFFFFFu), c.readsAs) << c.kind;
        EXPECT_EQ(t.SetEntry(c.firstOutside, 5), FatResult::EntryOutOfRange) << c.kind;
        EXPECT_EQ(t.SetEntry(0xFFFFFFFFu, 5), FatResult::EntryOutOfRange) << c.kind;
        EXPECT_EQ(t.SetEntry(c.firstOutside - 1, 5), 0ul) << c.kind;
        EXPECT_EQ(t.EntryCapacity(), c.firstOutside) << c.kind;
    }
    FatTable none;
    EXPECT_EQ(none.SetEntry(0, 1), FatResult::EntryWrongKind);
}

TEST(FatTable, Fat32KeepsTheReservedTopBits)
{
    FatTable t = TableOf(KS_FS_FAT32, 16);
    ASSERT_EQ(t.SetEntry(2, 0xF0000000u), 0ul); // stored as given: only the low 28 bits change
    EXPECT_EQ(t.Entry(2), 0u);
    std::vector<unsigned char> bytes(16, 0);
    StoreLE32(bytes.data() + 8, 0xA0000007u);
    t.Assign(KS_FS_FAT32, bytes);
    ASSERT_EQ(t.SetEntry(2, 0), 0ul);
    EXPECT_EQ(t.Entry(2), 0xA0000000u);
    EXPECT_TRUE(t.IsEndOfChain(0xFFFFFFF8u));
    EXPECT_FALSE(t.IsEndOfChain(0xFFFFFFF7u));
}

TEST(FatTable, EndOfChainFollowsTheEntryWidth)
{
    EXPECT_TRUE(FatTable::IsEndOfChain(KS_FS_FAT12, 0xFF8));
    EXPECT_FALSE(FatTable::IsEndOfChain(KS_FS_FAT12, 0xFF7));
    EXPECT_TRUE(FatTable::IsEndOfChain(KS_FS_FAT16, 0xFFF8));
    EXPECT_FALSE(FatTable::IsEndOfChain(KS_FS_FAT16, 0xFF8));
    EXPECT_TRUE(FatTable::IsEndOfChain(KS_FS_FAT32, 0x0FFFFFF8));
    EXPECT_FALSE(FatTable::IsEndOfChain(KS_FS_FAT32, 0xFFF8));
    EXPECT_FALSE(FatTable::IsEndOfChain(KS_FS_OTHER, 0xFFFFFFFF));
}

class FatClusterChainTest : public ::testing::Test {
protected:
    // A FAT16 table for 10 data clusters (2..11).
    FatClusterChainTest() { fat_ = TableOf(KS_FS_FAT16, 24); }
    void Link(std::initializer_list<uint32_t> clusters)
    {
        std::vector<uint32_t> v(clusters);
        for (size_t i = 0; i < v.size(); ++i)
            fat_.SetEntry(v[i], i + 1 < v.size() ? v[i + 1] : 0xFFFF);
    }
    FatTable fat_;
    static constexpr uint32_t kClusters = 10;
};

TEST_F(FatClusterChainTest, TheLastTwoClustersAreValid)
{
    Link({2, 10, 11});
    EXPECT_TRUE(FatClusterChain::IsValid(fat_, kClusters, 2));
    std::vector<uint32_t> clusters;
    EXPECT_EQ(FatClusterChain::Collect(fat_, kClusters, 2, 100, clusters), FatClusterChain::End::EndOfChain);
    EXPECT_EQ(clusters, (std::vector<uint32_t>{2, 10, 11}));
}

TEST_F(FatClusterChainTest, BrokenChainsAreCaught)
{
    std::vector<uint32_t> clusters;
    fat_.SetEntry(3, 12); // one past the last cluster
    EXPECT_FALSE(FatClusterChain::IsValid(fat_, kClusters, 3));
    EXPECT_EQ(FatClusterChain::Collect(fat_, kClusters, 3, 100, clusters), FatClusterChain::End::OutOfRange);

    fat_.SetEntry(4, 1); // below the data area
    EXPECT_FALSE(FatClusterChain::IsValid(fat_, kClusters, 4));

    Link({5, 6, 7});
    fat_.SetEntry(7, 5); // a loop
    EXPECT_FALSE(FatClusterChain::IsValid(fat_, kClusters, 5));
    EXPECT_EQ(FatClusterChain::Collect(fat_, kClusters, 5, 100, clusters), FatClusterChain::End::Repeated);

    Link({8, 9});
    EXPECT_EQ(FatClusterChain::Collect(fat_, kClusters, 8, 1, clusters), FatClusterChain::End::TooLong);
    EXPECT_FALSE(FatClusterChain::IsValid(fat_, kClusters, 0));
    EXPECT_FALSE(FatClusterChain::IsValid(fat_, kClusters, 1));
}

TEST(FatLongName, AssemblesAcrossEntriesForItsShortEntry)
{
    const char* shortName = "PAGEFI~1SYS";
    const uint8_t sum = MemoryFatVolume::Checksum(shortName);
    unsigned char entries[3][32];
    MemoryFatVolume::PutLongNamePart(entries[0], 0x42, sum, "e.sys");
    MemoryFatVolume::PutLongNamePart(entries[1], 0x01, sum, "A pagefil too");
    MemoryFatVolume::PutEntry(entries[2], shortName, 0x20, 5, 1);
    // Text of the second part is "e.sys": the name reads "A pagefil tooe.sys".
    FatLongName name;
    name.Add(entries[0], 7);
    name.Add(entries[1], 8);
    EXPECT_EQ(name.TakeFor(entries[2]), L"A pagefil tooe.sys");
    EXPECT_EQ(name.FirstIndex(), 7u);
    EXPECT_EQ(name.TakeFor(entries[2]), L"");
}

TEST(FatLongName, NamesThatDoNotFitTheirShortEntryAreDropped)
{
    const char* shortName = "KEEP    TXT";
    const uint8_t sum = MemoryFatVolume::Checksum(shortName);
    unsigned char entry[32], part[32], other[32];
    MemoryFatVolume::PutEntry(entry, shortName, 0x20, 5, 1);

    struct Case {
        const char* what;
        uint8_t first;
        uint8_t checksum;
    } cases[] = {
        {"sequence number 0", 0x40, sum},
        {"sequence number above 20", 0x55, sum},
        {"checksum of another entry", 0x41, static_cast<uint8_t>(sum + 1)},
        {"no starting entry", 0x01, sum},
    };
    for (const Case& c : cases) {
        FatLongName name;
        MemoryFatVolume::PutLongNamePart(part, c.first, c.checksum, "pagefile.sys");
        name.Add(part, 0);
        EXPECT_EQ(name.TakeFor(entry), L"") << c.what;
    }

    // A name missing its middle part is dropped as well.
    FatLongName name;
    MemoryFatVolume::PutLongNamePart(part, 0x43, sum, "x");
    MemoryFatVolume::PutLongNamePart(other, 0x01, sum, "y");
    name.Add(part, 0);
    name.Add(other, 1);
    EXPECT_EQ(name.TakeFor(entry), L"");
}

} // namespace
