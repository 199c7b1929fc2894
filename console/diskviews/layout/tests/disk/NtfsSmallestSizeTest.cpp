// The smallest size the move/resize manager lets an NTFS partition shrink to, against
// what ntfs-3g's resizer says the same volume can be shrunk to.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "CMoveResizeManager.h"
#include "CommandOutput.h"
#include "FixtureImage.h"
#include "VessmarFixture.h"
#include "vessmar/IPartitionTableChainWriter.h"

namespace {
const unsigned long long kNtfsStart = 63;
const unsigned long long kNtfsSectors = 128457;

// ntfsresize's "You might resize at N bytes", in sectors; 0 when it says nothing.
unsigned long long ResizerSmallestSectors(const std::string& image)
{
    const std::string volume = image + ".ntfs";
    const std::string out = CommandOutput("dd if='" + image + "' of='" + volume + "' bs=512 skip=" +
                                          std::to_string(kNtfsStart) + " count=" + std::to_string(kNtfsSectors) +
                                          " status=none && ntfsresize --info --force --no-progress-bar '" + volume +
                                          "' 2>&1");
    const std::string key = "You might resize at ";
    const size_t at = out.find(key);
    if (at == std::string::npos)
        return 0;
    return std::stoull(out.substr(at + key.size())) / 512;
}

IManagerItem* NtfsPartition()
{
    for (IManagerItem* item : Items(PartitionsOf(Disks()[0])))
        if (EntryOf(item)->GetStartSector() == kNtfsStart)
            return item;
    return nullptr;
}

TEST(NtfsSmallestSizeTest, ManagerNeverShrinksBelowWhatTheResizerAccepts)
{
    DiskImages images({MakeFixtureImage("layout/ntfs-move-resize-disk.sh", "layout-ntfs-move-resize-disk.img")});
    const unsigned long long resizer = ResizerSmallestSectors(images.Path(0));
    ASSERT_GT(resizer, 0ull) << "ntfsresize gave no smallest size";
    IManagerItem* item = NtfsPartition();
    ASSERT_NE(nullptr, item);
    IManagerItem* disk = item->GetParent();
    CMoveResizeManager manager(true);
    manager.InitManager(item);
    double smallest = 0, largest = 0;
    manager.GetNtfsMinAndMaxSize(smallest, largest);
    EXPECT_FALSE(manager.IfCurPartitionCanReduced(smallest - 1.0, false, false)) << "below the smallest size";
    ASSERT_TRUE(manager.IfCurPartitionCanReduced(smallest, false, false));
    ASSERT_TRUE(manager.UpdateManagerItem());
    ASSERT_EQ(0ul, As<IPartitionTableChainWriter>(disk)->Write());
    unsigned long long written = 0;
    for (const DumpLine& line : SfdiskDump(images.Path(0)))
        if (line.number == 1)
            written = line.size;
    // The partition as written holds the volume the resizer could shrink to.
    EXPECT_GE(written, resizer);
    EXPECT_EQ(0ull, (kNtfsStart + written) % 16065) << "ends on a cylinder";
    std::printf("NTFS smallest: manager %.2f MB, written %llu sectors; ntfsresize %llu sectors (%.2f MB)\n",
                smallest, written, resizer, resizer / 2048.0);
}
}  // namespace
