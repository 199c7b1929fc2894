// The drain thread and snapshot reads over the driver's stand-in: preserved blocks
// go to the callback or the urgent-block store, snapshot reads combine the store with
// the driver, a failing save is reported by every later read and by Close, and
// clearing the callback waits for a running call.
#include <atomic>
#include <future>
#include <thread>

#include "IQuelm.h"
#include "KSResult.h"
#include "KSSnapRecords.h"
#include "KSSnapshotDriver.h"
#include "QuelmTestVolume.h"

namespace {

using QuelmDrain = QuelmVolumeTest;

struct Taken {
    std::atomic<unsigned> calls{0};
    std::atomic<unsigned long> answer{0};
};

unsigned long CountingCallback(void* user, unsigned long long, unsigned long, void*)
{
    Taken* taken = static_cast<Taken*>(user);
    ++taken->calls;
    return taken->answer.load();
}

QuelmContext& ContextOf(IKSQuelm* client) { return *static_cast<IQuelm*>(client)->Context(); }

std::vector<std::pair<uint64_t, uint32_t>> SnapshotReads()
{
    std::vector<std::pair<uint64_t, uint32_t>> reads;
    for (const KSSnapshotDriverCall& call : KSSnapshotDriverCalls())
        if (call.code == IOCTL_SNAP_READ_SNAPSHOT)
            reads.emplace_back(call.firstSector, call.sectorCount);
    return reads;
}

TEST_F(QuelmDrain, CallbackThatTakesABlockLeavesTheStoreAndOneThatRefusesFillsIt)
{
    const struct {
        const char* what;
        unsigned long answer;
        bool stored;
    } cases[] = {
        {"taken", 0, false},
        {"refused", KSMakeResult(1, KS_MODULE_BACKUP, KS_KIND_CANCELLED), true},
    };
    for (const auto& c : cases) {
        KSSnapshotDriverInstall();
        IKSQuelm* client = OpenClient('S');
        StartSnapshot(client);
        Taken taken;
        taken.answer = c.answer;
        client->SetCallBack(&taken, CountingCallback);
        const std::vector<unsigned char> changed = Sectors(64, 16, 9);
        ASSERT_EQ(ERROR_SUCCESS, KSSnapshotDriverLiveWrite('S', 64, 16, changed.data()));
        ASSERT_TRUE(WaitUntil([&] { return taken.calls.load() == 2; })) << c.what << ": one call per 8-sector block";
        client->SetCallBack(nullptr, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return ContextOf(client).StoreContains(64, 16) == c.stored; })) << c.what;
        EXPECT_EQ(c.stored, ContextOf(client).StoreContains(64, 16)) << c.what;
        EXPECT_EQ(changed, ImageSectors('S', 64, 16)) << c.what << ": the write reached the volume";
        client->Release();
    }
}

TEST_F(QuelmDrain, ReadWhoseMiddleLiesInTheStoreUsesTheDriverAroundIt)
{
    KSSnapshotDriverForgetUnlinked(true);
    IKSQuelm* client = OpenClient('S');
    StartSnapshot(client);
    const std::vector<unsigned char> changed = Sectors(104, 8, 5);
    ASSERT_EQ(ERROR_SUCCESS, KSSnapshotDriverLiveWrite('S', 104, 8, changed.data()));
    ASSERT_TRUE(WaitUntil([&] { return ContextOf(client).StoreContains(104, 8); }));

    std::vector<unsigned char> buffer(24 * kSector);
    ASSERT_EQ(0u, client->ReadSnapshot(96, 24, buffer.data(), 0));
    EXPECT_EQ(Sectors(96, 24, 0), buffer) << "snapshot-time data throughout";
    EXPECT_EQ((std::vector<std::pair<uint64_t, uint32_t>>{{96, 8}, {112, 8}}), SnapshotReads())
        << "the driver is asked only around the stored middle";
    // The driver forgot the block: only the store still has it.
    std::vector<unsigned char> current(8 * kSector);
    ASSERT_EQ(0u, client->ReadSectors(104, 8, current.data()));
    EXPECT_EQ(changed, current);
    client->Release();
    EXPECT_TRUE(SpillFiles().empty());
}

TEST_F(QuelmDrain, PreservedDataPastThePoolSpillsAndIsReadBack)
{
    KSSnapshotDriverForgetUnlinked(true);
    IKSQuelm* client = OpenClient('S');
    StartSnapshot(client, 128);
    // 10 MiB rewritten in 64 KiB blocks: more than the 8 MiB pool holds.
    const uint32_t sectors = 20480;
    for (uint32_t first = 0; first < sectors; first += 2048) {
        const std::vector<unsigned char> changed = Sectors(first, 2048, 3);
        ASSERT_EQ(ERROR_SUCCESS, KSSnapshotDriverLiveWrite('S', first, 2048, changed.data()));
    }
    ASSERT_TRUE(WaitUntil([&] { return ContextOf(client).StoreContains(sectors - 1, 1); }));
    EXPECT_EQ(std::vector<std::string>{"S000.zet"}, SpillFiles());
    std::vector<unsigned char> buffer(sectors * kSector);
    ASSERT_EQ(0u, client->ReadSnapshot(0, sectors, buffer.data(), 0));
    EXPECT_EQ(Sectors(0, sectors, 0), buffer);
    EXPECT_TRUE(SnapshotReads().empty()) << "everything came from the store";
    client->Release();
    EXPECT_TRUE(SpillFiles().empty()) << "no spill file outlives the snapshot";
}

TEST_F(QuelmDrain, FailingSaveIsKeptForEveryLaterReadAndForClose)
{
    IKSQuelm* client = OpenClient('S', TempFolder() + L"/missing-folder");
    StartSnapshot(client, 128);
    // Past the 8 MiB pool the store needs a spill file it cannot make.
    for (uint32_t first = 0; first < 18432; first += 2048) {
        const std::vector<unsigned char> changed = Sectors(first, 2048, 4);
        ASSERT_EQ(ERROR_SUCCESS, KSSnapshotDriverLiveWrite('S', first, 2048, changed.data()));
    }
    std::vector<unsigned char> buffer(8 * kSector);
    unsigned long rc = 0;
    ASSERT_TRUE(WaitUntil([&] { return KSFailed(rc = client->ReadSnapshot(20000, 8, buffer.data(), 0)); }));
    EXPECT_EQ(0x10Bu, KSResultKind(rc));
    EXPECT_EQ(rc, client->ReadSnapshot(30000, 8, buffer.data(), 0)) << "every later read fails alike";
    // The drain thread keeps emptying the ring, so writers are not held up.
    const std::vector<unsigned char> more = Sectors(30000, 128, 4);
    EXPECT_EQ(ERROR_SUCCESS, KSSnapshotDriverLiveWrite('S', 30000, 128, more.data()));
    EXPECT_EQ(rc, client->Close());
    client->Release();
}

// Holds every call until the test opens the gate; tells the test when the first
// call came.
struct CallGate {
    std::promise<void> entered;
    std::atomic<bool> signalled{false};
    std::promise<void> open;
    std::shared_future<void> opened = open.get_future().share();
};

unsigned long BlockingCallback(void* user, unsigned long long, unsigned long, void*)
{
    CallGate* gate = static_cast<CallGate*>(user);
    if (!gate->signalled.exchange(true))
        gate->entered.set_value();
    gate->opened.wait();
    return 0;
}

TEST_F(QuelmDrain, ClearingTheCallbackWaitsForARunningCall)
{
    IKSQuelm* client = OpenClient('S');
    StartSnapshot(client);
    CallGate gate;
    std::future<void> entered = gate.entered.get_future();
    client->SetCallBack(&gate, BlockingCallback);
    const std::vector<unsigned char> changed = Sectors(8, 8, 1);
    ASSERT_EQ(ERROR_SUCCESS, KSSnapshotDriverLiveWrite('S', 8, 8, changed.data()));
    ASSERT_EQ(std::future_status::ready, entered.wait_for(std::chrono::seconds(10)));

    std::atomic<bool> cleared{false};
    std::thread clearing([&] {
        client->SetCallBack(nullptr, nullptr);
        cleared = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(cleared.load()) << "the callback still runs";
    gate.open.set_value();
    clearing.join();
    EXPECT_TRUE(cleared.load());
    client->Release();
}

TEST_F(QuelmDrain, FullRingHoldsTheWriterUntilTheClientDrains)
{
    for (uint32_t size : {0x2000000u, 0x1800000u, 0x1000000u})
        KSSnapshotDriverRefuseCacheSize(size);
    IKSQuelm* client = OpenClient('S');
    StartSnapshot(client, 2048);
    CallGate gate;
    client->SetCallBack(&gate, BlockingCallback);
    // 1 MiB blocks: the 8 MiB ring holds 7 of them while the callback holds the drain.
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (uint32_t first = 0; first < kVolumeSSectors; first += 2048) {
            const std::vector<unsigned char> changed = Sectors(first, 2048, 2);
            EXPECT_EQ(ERROR_SUCCESS, KSSnapshotDriverLiveWrite('S', first, 2048, changed.data()));
        }
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(done.load()) << "the writer waits for room";
    gate.open.set_value();
    client->SetCallBack(nullptr, nullptr);
    writer.join();
    EXPECT_EQ(kVolumeSSectors / 2048, KSSnapshotDriverPreservedBlocks()) << "no block was dropped";
    std::vector<unsigned char> buffer(kVolumeSSectors * kSector);
    ASSERT_EQ(0u, client->ReadSnapshot(2048, static_cast<uint32_t>(kVolumeSSectors - 2048), buffer.data(), 0));
    buffer.resize((kVolumeSSectors - 2048) * kSector);
    EXPECT_EQ(Sectors(2048, static_cast<uint32_t>(kVolumeSSectors - 2048), 0), buffer);
    client->Release();
}

} // namespace
