// A restore never writes over the set it reads when the set lies on a partition of a
// disk-image file, loop-mounted as the recovery scripts mount partitions at /mnt/P1..:
// neither that partition nor the disk's boot record is a target, while the other
// partitions of the disk are.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BackupRunner.h"
#include "CDiskMap.h"
#include "CommandOutput.h"
#include "KSRestoreRecords.h"
#include "KSResult.h"
#include "RestoreFixture.h"

namespace {

constexpr unsigned long kGuardKind = 0x25A; // the target lies where the image is

std::wstring GuardBackUpNtfs(const std::string& folder)
{
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    request.partitions = {BackupDisk::Get().ntfs.index};
    EXPECT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(folder);
    return Wide(folder + "/" + (files.empty() ? std::string() : files[0]));
}

std::string GuardBytes(const std::string& path, uint64_t first, uint64_t count)
{
    std::string bytes(count * 512, '\0');
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool read = fd >= 0 && pread(fd, &bytes[0], bytes.size(), static_cast<off_t>(first * 512)) ==
                                     static_cast<ssize_t>(bytes.size());
    if (fd >= 0)
        close(fd);
    return read ? bytes : std::string();
}

void GuardWrite(const std::string& path, const std::string& text)
{
    ASSERT_EQ(0, std::system(("mkdir -p '" + path.substr(0, path.rfind('/')) + "'").c_str()));
    std::ofstream(path) << text;
}

// The boot record alone onto the target disk (the image's disk 0).
_KS_PROGRESS_INFO GuardRestoreBootRecord(const std::wstring& setPath)
{
    void* object = nullptr;
    EXPECT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    std::wstring path = setPath;
    _KS_VERSION version{};
    unsigned long count = 0;
    EXPECT_EQ(0u, engine->GetImageVersions(&version, 1, &count, &path[0]));
    EXPECT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
    _KS_VOLUME volume{};
    EXPECT_EQ(0u, engine->GetImgVolumes(&volume, 1, &count, &version));
    _KS_RESTORE_TARGET whole{};
    whole.DiskNumber = kTargetDisk;
    whole.ImageDisk = 0;
    EXPECT_EQ(0u, engine->AddRestore(&volume, &whole, 0));
    return ExecuteAndWait(engine.get());
}

_KS_PROGRESS_INFO GuardRestoreOnto(const std::wstring& setPath, const FixturePartition& p)
{
    void* object = nullptr;
    EXPECT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    return RunRestore(engine.get(), setPath, {p}).last;
}

// The set's folder seen, through a made-up /proc and /sys under RVD_ENV_ROOT, as the
// file system of a loop device over the target disk image from a partition's offset.
class FakeLoopRoot {
public:
    FakeLoopRoot(const std::string& root, const std::string& setFolder, const std::string& image,
                 const FixturePartition& p)
    {
        struct stat st;
        EXPECT_EQ(0, stat(setFolder.c_str(), &st));
        std::system(("rm -rf '" + root + "'").c_str());
        GuardWrite(root + "/proc/self/mountinfo",
                   "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
                   "95 22 " + std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev)) +
                       " / /mnt/P2 ro,relatime - ext4 /dev/loop57 ro\n");
        GuardWrite(root + "/sys/block/loop57/loop/backing_file", image + "\n");
        GuardWrite(root + "/sys/block/loop57/loop/offset", std::to_string(p.start * 512) + "\n");
        GuardWrite(root + "/sys/block/loop57/size", std::to_string(p.sectors) + "\n");
        setenv(CDiskMap::kRootVariable, root.c_str(), 1);
    }
    ~FakeLoopRoot() { unsetenv(CDiskMap::kRootVariable); }
};

TEST(RestoreGuard, ASetOnALoopMountedPartitionOfADiskImageIsNeverWrittenOver)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("guard-loop");
    const std::wstring set = GuardBackUpNtfs(folder);
    const std::string target = MakeTargetDisk(folder);
    const std::string before = GuardBytes(target, 0, disk.ntfs.start + disk.ntfs.sectors);
    ASSERT_FALSE(before.empty());
    {
        // The set lies on the target's NTFS partition: neither it nor the boot record.
        FakeLoopRoot root(folder + "/root", folder, target, disk.ntfs);
        EXPECT_EQ(kGuardKind, KSResultKind(GuardRestoreOnto(set, disk.ntfs).Result));
        EXPECT_EQ(kGuardKind, KSResultKind(GuardRestoreBootRecord(set).Result));
        EXPECT_TRUE(before == GuardBytes(target, 0, disk.ntfs.start + disk.ntfs.sectors)) << "nothing written";
    }
    {
        // On the FAT32 partition beside it: the NTFS partition may be written.
        FakeLoopRoot root(folder + "/root", folder, target, disk.fat32);
        const _KS_PROGRESS_INFO done = GuardRestoreOnto(set, disk.ntfs);
        EXPECT_EQ(0u, done.Result) << std::hex << done.Result;
    }
}

// The same with a real loop device and mount, where the machine lets this test make
// them: the set is written into an ext4 partition of a disk image mounted through a
// loop device from the partition's offset.
TEST(RestoreGuard, ARealLoopMountedPartitionHoldingTheSetIsRefused)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("guard-real-loop");
    const std::string holder = folder + "/holder.img";
    const FixturePartition part{2048, 98304};
    int status = 0;
    CommandOutput("truncate -s 64M '" + holder + "' && printf 'label: dos\\nstart=2048, size=98304, type=83\\n' | "
                  "sfdisk --quiet '" + holder + "' && mkfs.ext4 -q -E offset=" + std::to_string(part.start * 512) +
                  " '" + holder + "' " + std::to_string(part.sectors / 2) + "k 2>&1", &status);
    ASSERT_EQ(0, status);
    const std::string loop = CommandOutput("losetup -f --show -o " + std::to_string(part.start * 512) +
                                           " --sizelimit " + std::to_string(part.sectors * 512) + " '" + holder +
                                           "' 2>/dev/null", &status);
    if (status != 0 || loop.empty())
        GTEST_SKIP() << "no loop device can be made here";
    const std::string device = loop.substr(0, loop.find('\n'));
    const std::string mounted = folder + "/P1";
    CommandOutput("mkdir -p '" + mounted + "' && mount '" + device + "' '" + mounted + "' 2>&1", &status);
    if (status != 0) {
        CommandOutput("losetup -d '" + device + "'");
        GTEST_SKIP() << "no loop device can be mounted here";
    }
    // A folder of its own: the file system's root holds lost+found.
    CommandOutput("mkdir -p '" + mounted + "/sets'");
    const std::wstring set = GuardBackUpNtfs(mounted + "/sets");
    setenv(CDiskMap::kImagesVariable, (disk.Path() + ":" + holder).c_str(), 1);
    // The boot record, the track after it and the partition's first two sectors, which
    // ext4 leaves alone and a restored volume's boot sector would not.
    const std::string before = GuardBytes(holder, 0, part.start + 2);
    EXPECT_EQ(kGuardKind, KSResultKind(GuardRestoreOnto(set, part).Result));
    EXPECT_EQ(kGuardKind, KSResultKind(GuardRestoreBootRecord(set).Result));
    CommandOutput("umount '" + mounted + "' 2>&1; losetup -d '" + device + "' 2>&1");
    EXPECT_TRUE(before == GuardBytes(holder, 0, part.start + 2)) << "nothing written";
}

} // namespace
