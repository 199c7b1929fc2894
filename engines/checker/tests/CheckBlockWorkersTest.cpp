// The checker's block workers on their own: results come back in the order the
// blocks were queued, whichever worker finishes first; a worker that cannot open
// the image fails the start; stopping with blocks queued ends every worker.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "CheckBlockWorkers.h"
#include "CheckResult.h"
#include "FakeCofran.h"

namespace {

// Reads of block 0 wait until block 1 has been read, so a later block always
// finishes first; each block fails with a code of its own.
struct ReadOrder {
    std::mutex lock;
    std::condition_variable changed;
    bool secondRead = false;
    unsigned long openResult = 0;
};
ReadOrder* g_order = nullptr;

unsigned long BlockFailure(uint32_t firstCluster) { return KSMakeResult(0x100 + firstCluster, KS_MODULE_CONTAINER, 0x00C); }

class OrderedImage : public FakeCofran {
public:
    unsigned long OpenCofran(const wchar_t*, unsigned long, const wchar_t*, unsigned long) override
    {
        return g_order->openResult;
    }
    unsigned long OpenVolume(_KS_VOLUME*) override { return 0; }
    unsigned long ReadBlock(const _KS_BLOCK* block, void*) override
    {
        std::unique_lock<std::mutex> hold(g_order->lock);
        if (block->FirstCluster == 0) {
            g_order->changed.wait_for(hold, std::chrono::seconds(5), [] { return g_order->secondRead; });
        } else {
            g_order->secondRead = true;
            g_order->changed.notify_all();
        }
        return BlockFailure(block->FirstCluster);
    }
};

IKSCofran* MakeOrderedImage() { return new OrderedImage; }

struct BlockWorkersTest : ::testing::Test {
    ReadOrder order;
    CheckBlockWorkers::Opening opening;
    void SetUp() override
    {
        g_order = &order;
        opening.make = MakeOrderedImage;
        opening.path = L"/set.rvd";
        opening.volume = FakeVolume(0, 100, 0);
    }
    void TearDown() override { g_order = nullptr; }
    static _KS_BLOCK Block(uint32_t first)
    {
        _KS_BLOCK b;
        std::memset(&b, 0, sizeof b);
        b.FirstCluster = first;
        b.CountSize = 1;
        return b;
    }
};

TEST_F(BlockWorkersTest, TheOldestBlockIsReportedFirst)
{
    for (unsigned workers : {2u, 8u}) {
        order.secondRead = false;
        CheckBlockWorkers w;
        ASSERT_EQ(0u, w.Start(opening, workers, nullptr));
        ASSERT_TRUE(w.HasRoom());
        ASSERT_EQ(0u, w.Queue(Block(0)));
        ASSERT_EQ(0u, w.Queue(Block(1)));
        _KS_BLOCK taken;
        EXPECT_EQ(BlockFailure(0), w.TakeOldest(&taken)) << workers;
        EXPECT_EQ(0u, taken.FirstCluster);
        EXPECT_EQ(BlockFailure(1), w.TakeOldest(&taken)) << workers;
        EXPECT_FALSE(w.HasPending());
    }
}

TEST_F(BlockWorkersTest, WithoutWorkersTheCallersImageChecksAtOnce)
{
    OrderedImage image;
    order.secondRead = true; // nothing to wait for on one thread
    CheckBlockWorkers w;
    ASSERT_EQ(0u, w.Start(opening, 0, &image));
    EXPECT_TRUE(w.HasRoom());
    ASSERT_EQ(0u, w.Queue(Block(3)));
    EXPECT_FALSE(w.HasRoom()) << "one block at a time";
    _KS_BLOCK taken;
    EXPECT_EQ(BlockFailure(3), w.TakeOldest(&taken));
}

TEST_F(BlockWorkersTest, AWorkerThatCannotOpenFailsTheStart)
{
    order.openResult = KSMakeResult(7, KS_MODULE_CONTAINER, 0x060);
    CheckBlockWorkers w;
    EXPECT_EQ(order.openResult, w.Start(opening, 4, nullptr));
    EXPECT_FALSE(w.HasPending());
}

TEST_F(BlockWorkersTest, StoppingWithBlocksQueuedEndsTheWorkers)
{
    CheckBlockWorkers w;
    ASSERT_EQ(0u, w.Start(opening, 2, nullptr));
    ASSERT_EQ(0u, w.Queue(Block(0))); // waits for a block 1 that never comes
    ASSERT_EQ(0u, w.Queue(Block(2)));
    const auto started = std::chrono::steady_clock::now();
    w.Stop();
    EXPECT_FALSE(w.HasPending());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

// A block read whole whose bytes do not give its CRC-64 fails as damaged data.
TEST(CheckBlockOne, ACrcMismatchIsDamagedData)
{
    struct ZeroImage : FakeCofran {
        unsigned long ReadBlock(const _KS_BLOCK*, void* buffer) override
        {
            std::memset(buffer, 0, 4096);
            return 0;
        }
    } image;
    _KS_VOLUME volume = FakeVolume(0, 100, 0);
    volume.BytesPerSector = 512;
    volume.SectorsPerCluster = 8;
    _KS_BLOCK block;
    std::memset(&block, 0, sizeof block);
    block.CountSize = 1;
    std::vector<unsigned char> buffer;
    EXPECT_EQ(CheckResult::BlockCrcMismatch, CheckBlockWorkers::CheckOne(&image, block, volume, buffer));
    EXPECT_EQ(4096u, buffer.size()) << "the buffer is the block's size";
}

} // namespace
