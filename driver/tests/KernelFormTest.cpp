// The image container in the driver's own form, read through the core: every
// allocation of a plug-in failing in turn (the plug-in fails cleanly or, where the
// container makes do with less, serves the right data; nothing stays in the pool),
// failed allocations while the disk is read, and an image the plugging user's
// identity may not read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "CoreTestSet.h"

namespace {

class KernelFormTest : public CoreTest {
protected:
    // Disk sectors [first, first + count) as the child reads them; the first failed
    // request's status, or 0.
    ZdStatus ReadDisk(wdk::ChildDisk& disk, uint64_t first, uint64_t count, std::vector<uint8_t>& out)
    {
        out.assign(count * 512, 0);
        for (uint64_t done = 0; done < count;) {
            const uint16_t n = static_cast<uint16_t>(std::min<uint64_t>(count - done, 128));
            const ZdStatus status = disk.Read(static_cast<uint32_t>(first + done), n, out.data() + done * 512);
            if (status != 0)
                return status;
            done += n;
        }
        return 0;
    }

    size_t LiveBlocks() const { return wdk::Ledger().liveBlocks; }
};

// The sectors a test reads: the stored track 0 after the made-up table, the system
// area and the first clusters.
constexpr uint64_t kFirstRead = 1;
constexpr uint64_t kReadCount = 600;

TEST_F(KernelFormTest, EachFailedAllocationOfAPlugInFailsItCleanlyOrStillServesTheImage)
{
    SmallSet set(16002, L"pass");
    const std::vector<uint8_t> record = set.Record(6, 0x5A5A5A40, U16("pass"));
    const std::vector<uint8_t> expected = set.Expected(kFirstRead, kReadCount);
    const size_t before = LiveBlocks();
    int failed = 0;
    int servedAfterFailure = 0;
    int neverReported = 0;
    // Far past the allocations one plug-in makes: the last rounds fail nothing.
    constexpr uint64_t kRounds = 400;
    for (uint64_t nth = 1; nth <= kRounds; ++nth) {
        SCOPED_TRACE(nth);
        wdk::FailAllocation(nth);
        const ZdStatus status = Plug(record);
        wdk::FailAllocation(0);
        if (status != 0) {
            ++failed;
            EXPECT_TRUE(status == ZD_STATUS_DEVICE_DATA_ERROR || status == ZD_STATUS_INSUFFICIENT_RESOURCES)
                << std::hex << status;
            EXPECT_TRUE(pnp.Children().empty());
            EXPECT_EQ(before, LiveBlocks()) << "a failed plug-in left blocks in the pool";
            continue;
        }
        if (pnp.Children().empty()) {
            // The plug-in took the disk, but the bus's answer to the Plug and Play
            // manager's ask for its relations found no memory: the system never
            // heard of the child. Unplugged, it must go at the next ask all the same,
            // giving back its letter, serial, worker and image.
            ++neverReported;
            ASSERT_EQ(0, TargetCall(IOCTL_ZEDISK_UNPLUG, 1u << 6));
            EXPECT_EQ(before, LiveBlocks());
            EXPECT_EQ(0, wdk::OpenFiles());
            continue;
        }
        ASSERT_EQ(1u, pnp.Children().size());
        std::shared_ptr<wdk::ChildDisk> disk = Disk(pnp.Children().back());
        ASSERT_NE(nullptr, disk);
        std::vector<uint8_t> got;
        ASSERT_EQ(0, ReadDisk(*disk, kFirstRead, kReadCount, got));
        EXPECT_TRUE(got == expected) << "a plug-in that made do with less memory reads other data";
        if (failed > 0 && nth < kRounds)
            ++servedAfterFailure;
        disk.reset();
        ASSERT_EQ(0, TargetCall(IOCTL_ZEDISK_UNPLUG, 1u << 6));
        EXPECT_TRUE(pnp.Children().empty());
        EXPECT_EQ(before, LiveBlocks());
    }
    // The container's own allocations were among those failed: a plug-in needs more
    // than the driver's few blocks.
    EXPECT_GT(failed, 10);
    EXPECT_GT(servedAfterFailure, 0);
    EXPECT_GT(neverReported, 0) << "no round failed the bus's relations answer";
    const wdk::LedgerStats ledger = wdk::Ledger();
    EXPECT_TRUE(std::find(ledger.tagsSeen.begin(), ledger.tagsSeen.end(), 0x676D6962u) != ledger.tagsSeen.end())
        << "the container's memory comes from the pool under \"bimg\"";
}

TEST_F(KernelFormTest, AFailedAllocationWhileReadingFailsThatReadOnly)
{
    SmallSet set(16002);
    ASSERT_EQ(0, Plug(set.Record(7)));
    std::shared_ptr<wdk::ChildDisk> disk = Disk(pnp.Children().back());
    ASSERT_NE(nullptr, disk);
    const std::vector<uint8_t> expected = set.Expected(kFirstRead, kReadCount);
    int failedReads = 0;
    for (uint64_t nth = 1; nth <= 40; ++nth) {
        SCOPED_TRACE(nth);
        std::vector<uint8_t> got;
        wdk::FailAllocation(nth);
        const ZdStatus status = ReadDisk(*disk, kFirstRead, kReadCount, got);
        wdk::FailAllocation(0);
        if (status != 0) {
            ++failedReads;
            EXPECT_TRUE(status == ZD_STATUS_DEVICE_DATA_ERROR || status == ZD_STATUS_INSUFFICIENT_RESOURCES)
                << std::hex << status;
        } else {
            EXPECT_TRUE(got == expected);
        }
        // The disk goes on serving.
        ASSERT_EQ(0, ReadDisk(*disk, kFirstRead, kReadCount, got));
        EXPECT_TRUE(got == expected);
    }
    disk.reset();
    EXPECT_EQ(0, TargetCall(IOCTL_ZEDISK_UNPLUG, 1u << 7));
    EXPECT_GT(failedReads, 0);
}

// A block kept as it is (the clusters are noise) damaged after the set was written:
// the disk answers the sectors it holds with a data error, never with the damaged
// bytes, and goes on serving the sectors before them.
TEST_F(KernelFormTest, ADamagedStoredBlockIsADataErrorNotData)
{
    SmallSet set(16002);
    const std::string file(set.path.begin(), set.path.end());
    std::vector<uint8_t> bytes;
    {
        FILE* f = std::fopen(file.c_str(), "rb");
        ASSERT_NE(nullptr, f);
        uint8_t chunk[65536];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
            bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(f);
    }
    const auto stored = std::search(bytes.begin(), bytes.end(), set.clusters.begin(), set.clusters.begin() + 64);
    ASSERT_NE(bytes.end(), stored) << "the clusters are kept as they are";
    {
        FILE* f = std::fopen(file.c_str(), "r+b");
        ASSERT_NE(nullptr, f);
        const long at = static_cast<long>(stored - bytes.begin()) + 5000;
        ASSERT_EQ(0, std::fseek(f, at, SEEK_SET));
        ASSERT_NE(EOF, std::fputc(bytes[static_cast<size_t>(at)] ^ 0x01, f));
        std::fclose(f);
    }
    ASSERT_EQ(0, Plug(set.Record(7)));
    std::shared_ptr<wdk::ChildDisk> disk = Disk(pnp.Children().back());
    ASSERT_NE(nullptr, disk);
    // Track 0 and the system area, then the first cluster's sectors.
    constexpr uint64_t kClustersStart = 63 + 52;
    std::vector<uint8_t> got;
    EXPECT_EQ(0, ReadDisk(*disk, kFirstRead, kClustersStart - kFirstRead, got));
    EXPECT_TRUE(got == set.Expected(kFirstRead, kClustersStart - kFirstRead));
    EXPECT_EQ(ZD_STATUS_DEVICE_DATA_ERROR, ReadDisk(*disk, kClustersStart, 8, got));
    disk.reset();
    EXPECT_EQ(0, TargetCall(IOCTL_ZEDISK_UNPLUG, 1u << 7));
}

TEST_F(KernelFormTest, AnImageThePluggingUserMayNotReadIsRefusedAndNothingStays)
{
    SmallSet set(16002);
    const size_t before = LiveBlocks();
    wdk::DenyIdentity("guest", std::string(set.dir.Path()));
    wdk::SetThreadIdentity("guest");
    EXPECT_EQ(ZD_STATUS_DEVICE_DATA_ERROR, Plug(set.Record(9)));
    wdk::SetThreadIdentity("SYSTEM");
    EXPECT_TRUE(pnp.Children().empty());
    EXPECT_EQ(0, wdk::OpenFiles());
    EXPECT_EQ(before, LiveBlocks());
    // The same record from a user who may read the image plugs the disk in.
    wdk::SetThreadIdentity("owner");
    EXPECT_EQ(0, Plug(set.Record(9)));
    wdk::SetThreadIdentity("SYSTEM");
    EXPECT_EQ(1u, pnp.Children().size());
    EXPECT_EQ(0, TargetCall(IOCTL_ZEDISK_UNPLUG, 1u << 9));
}

} // namespace
