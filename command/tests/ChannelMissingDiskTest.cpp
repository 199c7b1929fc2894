// A disk named in the disk map whose image file is gone keeps its number: restoring
// to it, backing it up or opening it fails as for a disk that does not exist, and the
// disks named after it keep their own numbers, so nothing is written to or read from
// another disk in its place.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "BackupRunner.h"
#include "ChannelFixture.h"
#include "ICensa.h"
#include "KSRestoreRecords.h"
#include "KSResult.h"

namespace {

std::string FileBytes(const std::string& path)
{
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char chunk[65536];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.append(chunk, n);
        std::fclose(f);
    }
    return bytes;
}

TEST(ChannelMissingDisk, AGoneImageKeepsItsNumberAndNothingElseIsTakenForIt)
{
    const BackupDisk& disk = BackupDisk::Get();
    const ImageSet set = BackUpFixture("channel-missing-disk");
    const std::string target = MakeRestoreTarget(set.folder);
    const std::string before = FileBytes(target);
    ASSERT_FALSE(before.empty());

    // Disk 1, where the restore item points, is gone; the target is disk 2.
    NameDisks({disk.Path(), set.folder + "/gone.img", target});
    Tasque tasque = NewTasque();
    unsigned long long count = 0;
    ASSERT_EQ(0u, tasque->EnumGetDiskCount(&count));
    EXPECT_EQ(3u, count);
    _KS_DISK_INFO info{};
    EXPECT_EQ(unsigned(KS_ERR_NO_DISK), KSResultKind(tasque->EnumGetDiskInfo(1, &info)));
    EXPECT_EQ(unsigned(KS_ERR_NO_DISK), KSResultKind(tasque->EnumGetPartitionCount(1, &count)));
    ASSERT_EQ(0u, tasque->EnumGetDiskInfo(2, &info));
    EXPECT_EQ(before.size() / 512, info.TotalSectors) << "the target keeps number 2";

    const ChannelRun run = RestoreThroughChannel(*tasque, set.firstFile, {&disk.fat32});
    EXPECT_NE(0u, run.last.Result) << "a restore to a disk that is not there fails";
    EXPECT_TRUE(before == FileBytes(target)) << "and writes nothing to the disk after it";
    // As it fails for a number past the end of the list.
    NameDisks({disk.Path()});
    Tasque past = NewTasque();
    const ChannelRun beyond = RestoreThroughChannel(*past, set.firstFile, {&disk.fat32});
    EXPECT_EQ(KSResultKind(beyond.last.Result), KSResultKind(run.last.Result)) << std::hex << run.last.Result;
    NameDisks({disk.Path(), set.folder + "/gone.img", target});

    HANDLE raw = CreateFileA("\\\\.\\PhysicalDrive1", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, raw);
    if (raw != INVALID_HANDLE_VALUE)
        CloseHandle(raw);
    raw = CreateFileA("\\\\.\\PhysicalDrive2", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, raw);
    if (raw != INVALID_HANDLE_VALUE)
        CloseHandle(raw);

    // A backup of disk 0 while disk 0 is the gone one: no disk, no set.
    NameDisks({set.folder + "/gone.img", disk.Path()});
    BackupRequest request;
    request.imagePath = Wide(set.folder + "/from-gone/set.rvd");
    std::system(("mkdir -p '" + set.folder + "/from-gone'").c_str());
    request.partitions = {disk.fat16.index};
    const BackupOutcome outcome = RunBackup(request);
    EXPECT_EQ(unsigned(KS_BACKUP_STATE_FINISHED), outcome.last.State);
    EXPECT_EQ(unsigned(KS_ERR_NO_DISK), KSResultKind(outcome.last.Result)) << std::hex << outcome.last.Result;
    EXPECT_TRUE(FilesIn(set.folder + "/from-gone").empty());
    NameDisks({disk.Path()});
}

} // namespace
