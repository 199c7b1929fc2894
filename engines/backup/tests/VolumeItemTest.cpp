#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

#include <KSPlatformControl.h>

#include "CLogWriter.h"
#include "CVolumeItem.h"
#include "KSResult.h"
#include "VolumeDoubles.h"

namespace {
struct Write {
    uint64_t first;
    unsigned long count;
    unsigned long mode;
    uint8_t firstByte;
};

struct WriteLog {
    std::mutex lock;
    std::vector<Write> writes;
};

unsigned long RecordWrite(void* context, unsigned long long first, unsigned long count, void* buffer,
                          unsigned long mode)
{
    auto* log = static_cast<WriteLog*>(context);
    std::lock_guard<std::mutex> hold(log->lock);
    log->writes.push_back({first, count, mode, static_cast<uint8_t*>(buffer)[0]});
    return 0;
}

unsigned long NoProgress(void*, unsigned long, unsigned long long, unsigned long) { return 0; }

_KS_VOLUME_ITEM Item()
{
    _KS_VOLUME_ITEM item{};
    item.DiskNumber = 0;
    item.PartitionNumber = 1;
    return item;
}

// An NTFS volume behind the doubles: 4 KiB clusters, lettered, with a snapshot.
void LiveNtfs(uint64_t sectors)
{
    ResetWorld();
    World().partition.DriveLetter = 'E';
    World().partition.FileSystemType = 3;
    World().partition.SectorCount = sectors;
    World().partition.SectorsPerCluster = 8;
    World().fsKind = KS_FS_NTFS;
    World().fsSectorsPerCluster = 8;
    World().fsTotalSectors = sectors;
    World().snapshotOpens = true;
}
}

TEST(VolumeItemRules, SnapshotBlockSizeKeepsTheBitmapWithinFourMiB)
{
    struct Case {
        uint64_t sectors;
        uint32_t cluster;
        uint32_t block;
    };
    const Case cases[] = {
        {419430400ull, 8, 16},        // 200 GiB at 4 KiB: 6.25 MiB at 8, 3.125 MiB at 16
        {33554432ull, 1, 1},          // exactly 4 MiB of bitmap
        {33554440ull, 1, 2},          // one byte more
        {1000000, 0, 128},            // unknown cluster size
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.block, ChooseSnapshotBlockSize(c.sectors, c.cluster)) << c.sectors;
}

TEST(VolumeItemRules, NearlyFullVolumesAreCopiedSectorBySector)
{
    EXPECT_TRUE(CopyEverySector(980394, 1000000));  // 980,394 + 19,607 > 1,000,000
    EXPECT_FALSE(CopyEverySector(980393, 1000000)); // 980,393 + 19,607 = 1,000,000
}

TEST(VolumeItem, BuildsTheSnapshotBitmapOfA200GiBVolumeAtBlock16)
{
    LiveNtfs(419430400ull);
    // Cluster c is used when c % 3 == 0: block b (clusters 2b, 2b+1) is set unless b % 3 == 2.
    World().clusterUsed = [](uint64_t c) { return c % 3 == 0; };
    CVolumeItem volume(DoubleServices());
    WriteLog log;
    ASSERT_EQ(0u, volume.InitVolume(Item(), L"", L"", RecordWrite, NoProgress, &log, 0, 0));
    ASSERT_EQ(0u, volume.PrepareVolume(0));
    EXPECT_EQ(16u, volume.SnapshotBlockSize());
    EXPECT_EQ(16u, World().snapshotSectorsPerBit);
    ASSERT_EQ(419430400ull / 8 / 8, World().snapshotBitmap.size()); // the cluster bitmap's bytes
    const uint64_t blocks = 419430400ull / 16;
    for (uint64_t b = 0; b < blocks; b += 997) {
        const bool set = (World().snapshotBitmap[b / 8] >> (b % 8)) & 1;
        ASSERT_EQ(b % 3 != 2, set) << b;
    }
    // No bit past the volume's blocks.
    for (uint64_t b = blocks; b < World().snapshotBitmap.size() * 8; b += 4099)
        ASSERT_FALSE((World().snapshotBitmap[b / 8] >> (b % 8)) & 1) << b;
    const std::vector<std::string> order(World().snapshotCalls.begin(), World().snapshotCalls.begin() + 4);
    EXPECT_EQ((std::vector<std::string>{"Open", "CreateSnapshot", "StartSnapshot", "SetVolumeBitmap"}), order);
    // Used sectors come from the reader's bitmap: a third of the clusters.
    EXPECT_EQ((419430400ull / 8 + 2) / 3 * 8, volume.GetVolumeInfo()->UsedSectors);
}

TEST(VolumeItem, FailedReadsOfBlocksHandedOverMeanwhileAreSkipped)
{
    LiveNtfs(4096);
    World().clusterUsed = [](uint64_t) { return true; };
    // Sectors 256-319 and 640-767 cannot be read from the snapshot; while the reader
    // retries, the driver preserves them (and 1024-1039 as soon as the step attaches).
    for (uint64_t s = 256; s < 320; ++s)
        World().failingSnapshotSectors.insert(s);
    for (uint64_t s = 640; s < 768; ++s)
        World().failingSnapshotSectors.insert(s);
    World().preserved = {{256, 64, false}, {640, 128, false}, {1024, 16, true}};
    PauseDeliveringClock clock;
    KSClock* before = KSPlatformSetClock(&clock);
    CVolumeItem volume(DoubleServices());
    WriteLog log;
    ASSERT_EQ(0u, volume.InitVolume(Item(), L"", L"", RecordWrite, NoProgress, &log, 0, 0));
    ASSERT_EQ(0u, volume.PrepareVolume(0));
    ASSERT_EQ(0u, volume.BackupByBitmap());
    KSPlatformSetClock(before);
    // Each failing run pauses once: the next try looks for the run again and leaves out
    // the blocks handed over meanwhile (reading them again could give current data).
    EXPECT_EQ(2u * 200, clock.Slept()) << "one pause for each failing run";
    EXPECT_EQ((std::vector<unsigned long>{0, 0, 0}), World().preservedResults);
    std::vector<int> owner(4096, 0); // how often each sector was written
    for (const Write& w : log.writes) {
        const bool preserved = w.mode == KS_VOLUME_WRITE_PRESERVED;
        EXPECT_TRUE(preserved || w.mode == KS_VOLUME_WRITE_CLUSTERS);
        if (preserved) {
            EXPECT_EQ(0xAB, w.firstByte);
        }
        for (unsigned long i = 0; i < w.count; ++i)
            ++owner[w.first + i];
    }
    for (uint64_t s = 0; s < 4096; ++s)
        ASSERT_EQ(1, owner[s]) << "sector " << s;
}

TEST(VolumeItem, AFailedReadNotCoveredByPreservedBlocksEndsTheStep)
{
    LiveNtfs(4096);
    World().failingSnapshotSectors.insert(300);
    PauseDeliveringClock clock;
    KSClock* before = KSPlatformSetClock(&clock);
    CVolumeItem volume(DoubleServices());
    WriteLog log;
    ASSERT_EQ(0u, volume.InitVolume(Item(), L"", L"", RecordWrite, NoProgress, &log, 0, 0));
    ASSERT_EQ(0u, volume.PrepareVolume(0));
    EXPECT_EQ(0x256u, KSResultKind(volume.BackupByBitmap()));
    KSPlatformSetClock(before);
    EXPECT_EQ(5u * 200, clock.Slept()) << "five tries, 200 ms apart";
}

TEST(VolumeItem, PreservedRangesMustBeWholeBlocks)
{
    LiveNtfs(4096);
    CVolumeItem volume(DoubleServices());
    WriteLog log;
    ASSERT_EQ(0u, volume.InitVolume(Item(), L"", L"", RecordWrite, NoProgress, &log, 0, 0));
    ASSERT_EQ(0u, volume.PrepareVolume(0));
    std::vector<uint8_t> data(64 * 512);
    // Before the bitmap step has its map.
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(CVolumeItem::OnUrgentBlock(&volume, 0, 8, data.data())));
    World().preserved = {{4, 8}};
    ASSERT_EQ(0u, volume.BackupByBitmap());
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(World().preservedResults.at(0)));
}

TEST(VolumeItem, ReadsPastThePartitionAreRefused)
{
    ResetWorld();
    World().partition.SectorCount = 1000;
    CVolumeItem volume(DoubleServices());
    ASSERT_EQ(0u, volume.InitVolume(Item(), L""));
    std::vector<uint8_t> buffer(4 * 512);
    EXPECT_EQ(0u, volume.ReadSectors(996, 4, buffer.data()));
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(volume.ReadSectors(997, 4, buffer.data())));
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(volume.ReadSectors(~0ull - 1, 4, buffer.data())));
}

TEST(VolumeItem, AVolumeWithoutReaderIsBuiltByHandAndCopiedWhole)
{
    ResetWorld(); // FAT12: no file-system reader
    World().partition.FileSystemType = 0;
    World().partition.SectorCount = 8190;
    World().partition.SectorsPerCluster = 4;
    World().partition.UsedSectors = 100;
    World().partition.Flags = KS_PART_FLAG_ACTIVE;
    std::snprintf(World().partition.VolumeLabel, sizeof(World().partition.VolumeLabel), "BOOT12");
    CVolumeItem volume(DoubleServices());
    WriteLog log;
    ASSERT_EQ(0u, volume.InitVolume(Item(), L"", L"", RecordWrite, NoProgress, &log, 0, 0));
    ASSERT_EQ(0u, volume.PrepareVolume(0));
    const _KS_VOLUME& v = *volume.GetVolumeInfo();
    EXPECT_EQ(KS_FS_FAT12, v.FileSystem);
    EXPECT_EQ(4u, v.SectorsPerCluster);
    EXPECT_EQ(8190u % 4, v.ReservedSectors);
    EXPECT_EQ((8190u / 4 + 7) / 8, v.BitmapSize);
    EXPECT_EQ(KS_VOLFLAG_NO_FS_READER | KS_VOLFLAG_ALL_SECTORS | KS_VOLFLAG_ACTIVE | KS_VOLFLAG_PRIMARY, v.Flags);
    EXPECT_EQ(u'B', v.Label[0]);
    EXPECT_EQ(0x0CE45A01u, v.DiskSignature);
    EXPECT_EQ(0x00020000u, v.ArcNumbers); // controller 0, rdisk 0, partition 2, 0
    EXPECT_EQ(2048u, v.PartitionStart);
    ASSERT_EQ(0u, volume.BackupFileSystemData(nullptr));
    ASSERT_EQ(0u, volume.BackupByBitmap());
    uint64_t sectors = 0;
    for (const Write& w : log.writes)
        sectors += w.count;
    EXPECT_EQ(8190u, sectors);
}

TEST(VolumeItem, AnEmptyBitmapCopiesNothingAndDividesByNothing)
{
    LiveNtfs(4096);
    World().snapshotOpens = false;
    World().clusterUsed = [](uint64_t) { return false; }; // used sectors = data-area start = 0
    CVolumeItem volume(DoubleServices());
    WriteLog log;
    ASSERT_EQ(0u, volume.InitVolume(Item(), L"", L"", RecordWrite, NoProgress, &log, 0, 0));
    ASSERT_EQ(0u, volume.PrepareVolume(0));
    EXPECT_EQ(0u, volume.SectorsToCopy());
    EXPECT_EQ(0u, volume.BackupByBitmap());
    EXPECT_TRUE(log.writes.empty());
}

TEST(VolumeItem, StepsAndFailuresGoToTheSharedLog)
{
    ResetWorld();
    World().partition.SectorCount = 1000;
    CLogWriter::StartCapture();
    {
        CVolumeItem volume(DoubleServices());
        ASSERT_EQ(0u, volume.InitVolume(Item(), L"T:\\temp"));
        std::vector<uint8_t> buffer(512);
        EXPECT_NE(0u, volume.ReadSectors(1000, 1, buffer.data()));
    }
    CLogWriter::StopCapture();
    const std::vector<std::string> lines = CLogWriter::Captured();
    auto has = [&](const std::string& text) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) == 0; });
    };
    EXPECT_TRUE(has("[Backup] : Init Volume:"));
    EXPECT_TRUE(has("[Backup] : Temp folder \"T:\\temp\""));
    EXPECT_TRUE(has("[Backup] : Query information of partition 1."));
    EXPECT_TRUE(has("[Backup] : return error [0x"));
    EXPECT_TRUE(has("[Backup] : Read time "));
}
