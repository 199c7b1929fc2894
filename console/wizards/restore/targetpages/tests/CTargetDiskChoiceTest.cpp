#include <gtest/gtest.h>

#include "CTargetDiskChoice.h"
#include "VolumeBuilder.h"
#include "vessmar/IDiskDeviceType.h"

namespace {


TargetDiskFacts Basic(uint64_t sectors)
{
    TargetDiskFacts f;
    f.record.TotalSectors = sectors;
    f.record.DiskType = DISK_TYPE_BASIC;
    return f;
}

TEST(TargetDiskChoice, RefusesDisksThatCannotTakeTheImage)
{
    const _KS_VOLUME ntfs = MakeVolume({KS_FS_NTFS, KS_VOLFLAG_PRIMARY, 0, 63, 8 * kCyl, 30000, 8});
    const CTargetDiskPlanner planner({&ntfs, nullptr});
    TargetDiskRequest disk;
    disk.diskRestore = true;
    TargetDiskRequest mbr;
    mbr.mbrOnly = true;

    struct Case { const char* what; TargetDiskFacts facts; TargetDiskRequest request; bool next; };
    TargetDiskFacts equal = Basic(30600);
    TargetDiskFacts gpt = Basic(10 * kCyl);
    gpt.record.DiskType = DISK_TYPE_GPT;
    TargetDiskFacts dynamic = Basic(10 * kCyl);
    dynamic.record.Dynamic = 1;
    TargetDiskFacts offline = Basic(10 * kCyl);
    offline.offline = true;
    TargetDiskFacts holdsImage = Basic(10 * kCyl);
    holdsImage.hasUsedPartition = true;
    holdsImage.imageDiskIndex = 2;
    TargetDiskFacts imageElsewhere = holdsImage;
    imageElsewhere.imageDiskIndex = 0;
    TargetDiskRequest diskFromDisc = disk;
    diskFromDisc.imageOnDiscMount = true;
    TargetDiskRequest diskFromCdFolder = disk; // a hard-disk folder named ".../CD/..."
    TargetDiskRequest cdPath = disk;
    cdPath.imageOnCdromPath = true;

    const Case cases[] = {
        {"large basic disk", Basic(10 * kCyl), disk, true},
        {"total equal to the need", equal, disk, false},
        {"one sector above the need", Basic(30601), disk, true},
        {"GPT, whole disk", gpt, disk, false},
        {"GPT, boot record", gpt, mbr, false},
        {"dynamic, whole disk", dynamic, disk, false},
        {"offline, boot record", offline, mbr, false},
        {"disk that holds the image", holdsImage, disk, false},
        {"disk that holds the image, image under a folder named CD", holdsImage, diskFromCdFolder, false},
        {"disk that holds the image, image on a disc", holdsImage, diskFromDisc, true},
        {"image on another disk", imageElsewhere, disk, true},
        {"image read from /mnt/CD needs the source disk's size", Basic(8 * kCyl + 63), cdPath, false},
        {"image read from /mnt/CD, disk larger than the source", Basic(8 * kCyl + 64), cdPath, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.next, CTargetDiskChoice::Judge(planner, 2, c.facts, c.request).nextEnabled) << c.what;
}

TEST(TargetDiskChoice, ReportsWhetherTheDiskHoldsPartitions)
{
    const CTargetDiskPlanner planner({nullptr});
    TargetDiskRequest mbr;
    mbr.mbrOnly = true;
    TargetDiskFacts used = Basic(10 * kCyl);
    used.hasUsedPartition = true;
    EXPECT_FALSE(CTargetDiskChoice::Judge(planner, 0, used, mbr).diskEmpty);
    EXPECT_TRUE(CTargetDiskChoice::Judge(planner, 0, Basic(10 * kCyl), mbr).diskEmpty);
    EXPECT_TRUE(CTargetDiskChoice::Judge(planner, 0, Basic(10 * kCyl), mbr).nextEnabled);
}

} // namespace
