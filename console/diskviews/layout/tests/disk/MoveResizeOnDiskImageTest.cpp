// The move/resize manager driven as the edit page drives it, over the device manager
// module and an sfdisk-made disk image: the written table is read back with sfdisk,
// and the file system made in the new extent is checked with fsck.fat.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "CMoveResizeManager.h"
#include "FixtureImage.h"
#include "VessmarFixture.h"
#include "vessmar/IPartitionTableChainWriter.h"

namespace {
const unsigned long long kCylinder = 16065;

std::string MoveResizeDisk()
{
    return MakeFixtureImage("layout/move-resize-disk.sh", "layout-move-resize-disk.img");
}

// The item of the partition that starts at sector start on the only disk.
IManagerItem* PartitionAt(unsigned long long start)
{
    for (IManagerItem* disk : Disks())
        for (IManagerItem* item : Items(PartitionsOf(disk))) {
            IPartitionEntry* entry = EntryOf(item);
            if (entry != nullptr && entry->GetPartitionType() != 0 && entry->GetStartSector() == start)
                return item;
        }
    return nullptr;
}

const DumpLine* Line(const std::vector<DumpLine>& lines, int number)
{
    for (const DumpLine& line : lines)
        if (line.number == number)
            return &line;
    return nullptr;
}

// Makes a FAT volume of the variant and cluster size over the extent, copies the files
// of the source volume (at sourceStart in the untouched fixture) in, checks it with
// fsck.fat and reads the files back: 0 when the volume is clean and holds them all.
int MakeAndCheckVolume(const std::string& image, unsigned long long first, unsigned long long count,
                       const MOVERESIZE_MANAGER_PARAM& param, unsigned long long sourceStart)
{
    const std::string volume = image + ".vol";
    const std::string source = MoveResizeDisk() + "@@" + std::to_string(sourceStart * 512);
    const int fat = param.fileSystem == 0 ? 12 : param.fileSystem == 1 ? 16 : 32;
    const std::string script =
        "set -e; export MTOOLS_SKIP_CHECK=1; v='" + volume + "'; rm -rf \"$v\" \"$v.src\" \"$v.back\"; " +
        "mkdir \"$v.src\" \"$v.back\"; mcopy -s -n -i '" + source + "' '::/*' \"$v.src/\"; " +
        "truncate -s " + std::to_string(count * 512) + " \"$v\"; " +
        "mkfs.fat -F " + std::to_string(fat) + " -s " + std::to_string(param.u32SectorsPerCluster) +
        " \"$v\" >/dev/null; mcopy -s -i \"$v\" \"$v.src\"/* ::/; " +
        "dd if=\"$v\" of='" + image + "' bs=512 seek=" + std::to_string(first) + " conv=notrunc status=none; " +
        "fsck.fat -n \"$v\" >/dev/null; mcopy -s -n -i '" + image + "@@" + std::to_string(first * 512) +
        "' '::/*' \"$v.back/\"; diff -r \"$v.src\" \"$v.back\"";
    return std::system(script.c_str());
}

// Every entry of the fixture's table but the one edited, as sfdisk shows it.
void ExpectUnchangedBut(const std::vector<DumpLine>& lines, int edited)
{
    struct Entry { int number; unsigned long long start, size; unsigned type; bool bootable; };
    const Entry entries[] = {{1, 63, 96327, 0x6, true}, {5, 96453, 64197, 0x6, false},
                             {6, 224973, 64197, 0x6, false}, {3, 401625, 32130, 0x83, false}};
    for (const Entry& e : entries) {
        if (e.number == edited)
            continue;
        const DumpLine* line = Line(lines, e.number);
        ASSERT_NE(nullptr, line) << e.number;
        EXPECT_EQ(e.start, line->start) << e.number;
        EXPECT_EQ(e.size, line->size) << e.number;
        EXPECT_EQ(e.type, line->type) << e.number;
        EXPECT_EQ(e.bootable, line->bootable) << e.number;
    }
}

TEST(MoveResizeOnDiskImageTest, GrownLogicalFatEndsOnACylinder)
{
    DiskImages images({MoveResizeDisk()});
    IManagerItem* item = PartitionAt(224973);  // second logical FAT16, free space after it
    ASSERT_NE(nullptr, item);
    IManagerItem* disk = item->GetParent();
    CMoveResizeManager manager(true);
    manager.InitManager(item);
    MOVERESIZE_MANAGER_PARAM param{};
    manager.GetOutParam(param);
    ASSERT_GT(param.dNextSize, 50.0);
    ASSERT_TRUE(manager.IfCurPartitionCanAdded(param.dCurSize + param.dNextSize, true, false));
    ASSERT_TRUE(manager.UpdateManagerItem());
    manager.GetOutParam(param);
    EXPECT_EQ(1u, param.fileSystem);  // still FAT16
    ASSERT_EQ(0ul, As<IPartitionTableChainWriter>(disk)->Write());

    const std::vector<DumpLine> lines = SfdiskDump(images.Path(0));
    const DumpLine* grown = Line(lines, 6);
    ASSERT_NE(nullptr, grown);
    EXPECT_EQ(224973ull, grown->start);
    EXPECT_EQ(401625ull, grown->start + grown->size);  // the whole free space, to its cylinder end
    EXPECT_EQ(6u, grown->type);
    ExpectUnchangedBut(lines, 6);
    EXPECT_EQ(0, MakeAndCheckVolume(images.Path(0), grown->start, grown->size, param, 224973));
}

TEST(MoveResizeOnDiskImageTest, MovedLogicalFatStartsOnACylinder)
{
    DiskImages images({MoveResizeDisk()});
    IManagerItem* item = PartitionAt(224973);
    ASSERT_NE(nullptr, item);
    IManagerItem* disk = item->GetParent();
    CMoveResizeManager manager(true);
    manager.InitManager(item);
    ASSERT_TRUE(manager.IfPrePartitionCanReduced(0.0));
    ASSERT_TRUE(manager.UpdateManagerItem());
    MOVERESIZE_MANAGER_PARAM param{};
    manager.GetOutParam(param);
    ASSERT_EQ(0ul, As<IPartitionTableChainWriter>(disk)->Write());

    const std::vector<DumpLine> lines = SfdiskDump(images.Path(0));
    const DumpLine* moved = Line(lines, 6);
    ASSERT_NE(nullptr, moved);
    EXPECT_EQ(160650ull + 63, moved->start);  // its record at the start of the free space before
    EXPECT_EQ(0ull, (moved->start + moved->size) % kCylinder);
    EXPECT_GE(moved->size, 64197ull - 63);
    EXPECT_EQ(6u, moved->type);
    ExpectUnchangedBut(lines, 6);
    EXPECT_EQ(0, MakeAndCheckVolume(images.Path(0), moved->start, moved->size, param, 224973));
}

TEST(MoveResizeOnDiskImageTest, FirstLogicalFatGrownOrMovedIsKeptAtTheNextWrite)
{
    // The first logical partition's record heads the extended chain: the manager
    // deletes it and creates it again at its new extent, which must not lose it.
    struct Case {
        const char* what;
        bool move;                     // else grow into the free space after
        unsigned long long start, end; // sfdisk's extent after the write (end exclusive)
    };
    const Case cases[] = {
        {"grown to the next partition's cylinder", false, 96453, 224910},
        {"moved to the end of the free space", true, 160650 + 63, 224910},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DiskImages images({MoveResizeDisk()});
        IManagerItem* item = PartitionAt(96453);
        ASSERT_NE(nullptr, item);
        IManagerItem* disk = item->GetParent();
        CMoveResizeManager manager(true);
        manager.InitManager(item);
        MOVERESIZE_MANAGER_PARAM param{};
        manager.GetOutParam(param);
        ASSERT_GT(param.dNextSize, 30.0);
        if (c.move)
            ASSERT_TRUE(manager.IfPrePartitionCanAdded(param.dPreSize + param.dNextSize));
        else
            ASSERT_TRUE(manager.IfCurPartitionCanAdded(param.dCurSize + param.dNextSize, true, false));
        ASSERT_TRUE(manager.UpdateManagerItem());
        manager.GetOutParam(param);
        ASSERT_EQ(0ul, As<IPartitionTableChainWriter>(disk)->Write());

        const std::vector<DumpLine> lines = SfdiskDump(images.Path(0));
        const DumpLine* edited = Line(lines, 5);
        ASSERT_NE(nullptr, edited) << "the first logical partition is still there";
        EXPECT_EQ(c.start, edited->start);
        EXPECT_EQ(c.end, edited->start + edited->size);
        EXPECT_EQ(6u, edited->type);
        const DumpLine* next = Line(lines, 6);
        ASSERT_NE(nullptr, next);
        EXPECT_EQ(224973ull, next->start);
        EXPECT_EQ(64197ull, next->size);
        ExpectUnchangedBut(lines, 5);
        EXPECT_EQ(0, MakeAndCheckVolume(images.Path(0), edited->start, edited->size, param, 96453));
    }
}

TEST(MoveResizeOnDiskImageTest, ShrunkActivePrimaryKeepsItsBootFlag)
{
    DiskImages images({MoveResizeDisk()});
    IManagerItem* item = PartitionAt(63);  // primary FAT16 "SYSTEM", active
    ASSERT_NE(nullptr, item);
    IManagerItem* disk = item->GetParent();
    CMoveResizeManager manager(true);
    manager.InitManager(item);
    ASSERT_TRUE(manager.IfCurPartitionCanReduced(20.0, false, false));
    ASSERT_TRUE(manager.UpdateManagerItem());
    MOVERESIZE_MANAGER_PARAM param{};
    manager.GetOutParam(param);
    EXPECT_EQ(1u, param.fileSystem);
    ASSERT_EQ(0ul, As<IPartitionTableChainWriter>(disk)->Write());

    const std::vector<DumpLine> lines = SfdiskDump(images.Path(0));
    const DumpLine* shrunk = Line(lines, 1);
    ASSERT_NE(nullptr, shrunk);
    EXPECT_EQ(63ull, shrunk->start);
    EXPECT_EQ(3 * kCylinder - 63, shrunk->size);  // 20 MB rounded up to whole cylinders
    EXPECT_TRUE(shrunk->bootable);
    EXPECT_EQ(6u, shrunk->type);
    ExpectUnchangedBut(lines, 1);
    EXPECT_EQ(0, MakeAndCheckVolume(images.Path(0), shrunk->start, shrunk->size, param, 63));
}

}  // namespace
