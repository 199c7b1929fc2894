// The walk's cost over a hostile root directory, measured as the heap bytes it asks
// for: a walk that judged each chain with a scratch array over every cluster of the
// volume would ask for one such array per entry.
//
// This program replaces the global allocation functions to count bytes, so it runs
// on its own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "FatChainVerdicts.h"
#include "KSFSSupport.h"
#include "MemoryFatVolume.h"

namespace {
std::atomic<bool> gCounting{false};
std::atomic<uint64_t> gBytesAsked{0};
} // namespace

namespace {
void* CountedAllocation(std::size_t size) noexcept
{
    if (gCounting.load(std::memory_order_relaxed))
        gBytesAsked.fetch_add(size, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
} // namespace

// Every plain form is replaced, so that what one form allocates any form may free.
void* operator new(std::size_t size)
{
    if (void* p = CountedAllocation(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

// Heap bytes asked for while it lives.
class AllocationMeter {
public:
    AllocationMeter()
    {
        gBytesAsked = 0;
        gCounting = true;
    }
    ~AllocationMeter() { gCounting = false; }
    uint64_t Bytes() const { return gBytesAsked.load(); }
};

struct ReaderDeleter {
    void operator()(IKSFSSupport* r) const
    {
        if (r != nullptr)
            r->Release();
    }
};

TEST(FatWalkCost, RootFullOfSystemFileNamesOverOneChainIsWalkedInLinearWork)
{
    // A FAT32 volume of 2^20 clusters whose root directory fills 4,096 clusters with
    // 65,536 entries, every one named like the page or hibernation file and pointing
    // at the same 100-cluster chain. Only the FATs and the root are held in memory.
    constexpr uint32_t kClusters = 1u << 20;
    constexpr uint32_t kRootClusters = 4096;
    constexpr size_t kEntries = kRootClusters * 512 / 32;
    constexpr uint32_t kChainStart = 5000;
    MemoryFatVolume volume(FatShape{32, kClusters, 1, 32, 2, 0, 0xF8, kRootClusters});
    std::vector<uint32_t> root, chain;
    for (uint32_t c = 2; c < 2 + kRootClusters; ++c)
        root.push_back(c);
    for (uint32_t c = kChainStart; c < kChainStart + 100; ++c)
        chain.push_back(c);
    volume.Chain(root);
    volume.Chain(chain);
    for (size_t i = 0; i < kEntries; ++i)
        MemoryFatVolume::PutEntry(volume.RootSlot(i), i % 2 ? "HIBERFILSYS" : "PAGEFILESYS", 0x20, kChainStart,
                                  100 * 512);

    void* object = nullptr;
    ASSERT_EQ(KSCreateObjectFsFat(1, 4, &object), 0ul);
    std::unique_ptr<IKSFSSupport, ReaderDeleter> reader(static_cast<IKSFSSupport*>(object));
    ASSERT_EQ(reader->InitFileSystem(VolumeImage::Read, VolumeImage::WriteRecord, &volume.image), 0ul);

    uint64_t asked = 0;
    {
        AllocationMeter meter;
        ASSERT_EQ(reader->WalkThroughVolume(nullptr), 0ul);
        asked = meter.Bytes();
    }
    // The root's copy, a fixed share per cluster and per entry; nothing that grows
    // with entries times clusters (one bit per cluster per entry would be 8 GiB).
    const uint64_t budget = 2ull * kRootClusters * 512 + kClusters / 2 + kEntries * 1024;
    EXPECT_LT(asked, budget) << "the walk asked for " << asked << " heap bytes";

    // The first entry took the chain out; the others now point at free clusters and
    // stay as they are.
    EXPECT_EQ(volume.image.writes.front().data[0], 0xE5);
    EXPECT_EQ(volume.image.writes.front().data[32], 'H');
    std::vector<unsigned char> bits(kClusters / 8);
    unsigned long long first = 0;
    unsigned long count = kClusters;
    ASSERT_EQ(reader->GetBitMap(bits.data(), &first, &count), 0ul);
    for (uint32_t c : chain)
        EXPECT_EQ(bits[(c - 2) / 8] & (1u << ((c - 2) % 8)), 0) << c;
}

TEST(FatWalkCost, FatTooShortForItsClustersIsRefusedBeforeAnythingIsSizedByThem)
{
    // A FAT32 boot sector that claims 2^28 - 16 clusters over a FAT made for 70,000.
    MemoryFatVolume volume(FatShape{32, 70000, 1, 32, 2, 0, 0xF8, 1});
    StoreLE32(volume.image.bytes.data() + 32, static_cast<uint32_t>(volume.firstDataSector + 0x0FFFFFF0));
    void* object = nullptr;
    ASSERT_EQ(KSCreateObjectFsFat(1, 4, &object), 0ul);
    std::unique_ptr<IKSFSSupport, ReaderDeleter> reader(static_cast<IKSFSSupport*>(object));
    uint64_t asked = 0;
    {
        AllocationMeter meter;
        EXPECT_EQ(reader->InitFileSystem(VolumeImage::Read, VolumeImage::WriteRecord, &volume.image),
                  0x04B09006ul);
        asked = meter.Bytes();
    }
    // The FAT itself (about 550 KiB) is read; a bitmap for the claimed clusters would
    // be 32 MiB.
    EXPECT_LT(asked, 2u << 20) << "initialisation asked for " << asked << " heap bytes";
}

// A small FAT16 table for chains over clusters 2..21.
class FatChainVerdictsTest : public ::testing::Test {
protected:
    FatChainVerdictsTest() { fat_.Assign(KS_FS_FAT16, std::vector<unsigned char>(48, 0)); }
    void Link(std::initializer_list<uint32_t> clusters)
    {
        std::vector<uint32_t> v(clusters);
        for (size_t i = 0; i < v.size(); ++i)
            fat_.SetEntry(v[i], i + 1 < v.size() ? v[i + 1] : 0xFFFF);
    }
    FatTable fat_;
    static constexpr uint32_t kClusters = 20;
};

TEST_F(FatChainVerdictsTest, JudgesChainsLikeAFreshWalkAndEachClusterOnce)
{
    Link({2, 3, 4});          // valid
    Link({5, 6});
    fat_.SetEntry(6, 3);      // runs into the valid chain: valid
    Link({7, 8, 9});
    fat_.SetEntry(9, 7);      // a loop
    fat_.SetEntry(10, 8);     // runs into the loop
    Link({11, 12});
    fat_.SetEntry(12, 22);    // leaves the data area
    fat_.SetEntry(13, 12);    // runs into that
    fat_.SetEntry(14, 0);     // a free cluster: its chain ends on cluster 0

    FatChainVerdicts verdicts(fat_, kClusters);
    const struct {
        uint32_t start;
        bool valid;
    } cases[] = {{2, true},  {5, true},  {3, true},   {7, false}, {8, false}, {10, false},
                 {11, false}, {13, false}, {14, false}, {0, false}, {1, false}, {22, false}};
    for (int round = 0; round < 2; ++round)
        for (const auto& c : cases)
            EXPECT_EQ(verdicts.IsValid(c.start), c.valid) << "chain from " << c.start << ", round " << round;
    // Clusters 2..14 are each followed once, whatever the number of questions.
    EXPECT_EQ(verdicts.StepsTaken(), 13u);
}

TEST_F(FatChainVerdictsTest, FreedClustersBreakEveryChainThatRunsIntoThem)
{
    Link({2, 3, 4});
    fat_.SetEntry(5, 3);      // shares the tail of the first chain
    FatChainVerdicts verdicts(fat_, kClusters);
    ASSERT_TRUE(verdicts.IsValid(2));
    std::vector<uint32_t> freed;
    ASSERT_EQ(verdicts.Free(2, [&](uint32_t c) { freed.push_back(c); }), 0ul);
    EXPECT_EQ(freed, (std::vector<uint32_t>{2, 3, 4}));
    for (uint32_t c : {2u, 3u, 4u})
        EXPECT_EQ(fat_.Entry(c), 0u) << c;
    EXPECT_FALSE(verdicts.IsValid(5)) << "its tail is free now";
    EXPECT_FALSE(verdicts.IsValid(2));
}

} // namespace
