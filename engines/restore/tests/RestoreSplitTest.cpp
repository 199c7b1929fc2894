// Volumes of a split set that run from one file into the next restore like any other:
// each of five stored copies of the FAT32 volume, most of them crossing a file end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CDiskMap.h"
#include "KSResult.h"
#include "PeerBitmap.h"
#include "RestoreFixture.h"

namespace {
_KS_PROGRESS_INFO RestoreSplitVolume(const std::wstring& set, _KS_VERSION version, const _KS_VOLUME& volume,
                                     const FixturePartition& partition)
{
    void* object = nullptr;
    EXPECT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    std::wstring path = set;
    EXPECT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
    _KS_VOLUME source = volume;
    _KS_RESTORE_TARGET target = TargetOf(partition);
    EXPECT_EQ(0u, engine->AddRestore(&source, &target, 0));
    _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
    return record;
}

// Five stored copies of the FAT32 volume in files of 50 MiB: most copies begin in one
// file and end in the next, and their index chunks lie in both.
struct FiveCopySet {
    std::string folder;
    std::wstring set;
    _KS_VERSION version{};
    _KS_VOLUME volumes[5];

    FiveCopySet()
    {
        const BackupDisk& disk = BackupDisk::Get();
        folder = MakeWorkFolder("restore-split");
        const std::vector<std::string> files = BackUpSplitCopies(folder, disk.fat32.index);
        EXPECT_EQ(files.size(), 4u);
        set = Wide(folder + "/" + files.back());

        void* object = nullptr;
        EXPECT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
        RestoreEngine lister(static_cast<IKSRestore*>(object));
        std::wstring path = set;
        unsigned long count = 0;
        EXPECT_EQ(0u, lister->GetImageVersions(&version, 1, &count, &path[0]));
        EXPECT_EQ(0u, lister->SetImgInfo(&version, &path[0]));
        EXPECT_EQ(0u, lister->GetImgVolumes(volumes, 5, &count, &version));
        EXPECT_EQ(count, 5u);
    }
};

TEST(RestoreSplit, EveryVolumeOfASplitSetRestoresWhereverItsFilesEnd)
{
    const BackupDisk& disk = BackupDisk::Get();
    const FiveCopySet copies;
    const std::string& folder = copies.folder;
    const std::wstring& set = copies.set;
    const _KS_VERSION& version = copies.version;
    const _KS_VOLUME* volumes = copies.volumes;

    const std::string source = folder + "/source";
    ASSERT_FALSE(ExtractPartition(disk.Path(), disk.fat32.start, disk.fat32.sectors, source).empty());
    for (unsigned i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const std::string target = MakeTargetDisk(folder);
        const _KS_PROGRESS_INFO record = RestoreSplitVolume(set, version, volumes[i], disk.fat32);
        ASSERT_EQ(record.Result, 0u) << std::hex << record.Result;
        const std::string restored = folder + "/restored";
        ASSERT_FALSE(ExtractPartition(target, disk.fat32.start, disk.fat32.sectors, restored).empty());
        EXPECT_EQ(0, std::system(("cmp -s '" + restored + "' '" + source + "'").c_str()));
    }
}

// A volume across files copied by file system onto a partition that needs another
// cluster size: the copier is given every used cluster, from every file.
TEST(RestoreSplit, AVolumeAcrossFilesIsCopiedWholeOntoAPartitionOfAnotherSize)
{
    const BackupDisk& disk = BackupDisk::Get();
    const FiveCopySet copies;
    const std::string target = copies.folder + "/larger.img";
    const uint64_t start = 2048, sectors = 560000;
    ASSERT_EQ(0, std::system(("truncate -s 300M '" + target + "' && printf 'label: dos\\n1 : start=" +
                              std::to_string(start) + ", size=" + std::to_string(sectors) +
                              ", type=c\\n' | sfdisk --quiet '" + target + "' >/dev/null 2>&1").c_str()));
    setenv(CDiskMap::kImagesVariable, (disk.Path() + ":" + target).c_str(), 1);
    const _KS_PROGRESS_INFO record = RestoreSplitVolume(copies.set, copies.version, copies.volumes[2],
                                                        FixturePartition{start, sectors, 1});
    ASSERT_EQ(record.Result, 0u) << std::hex << record.Result;
    const std::string restored = copies.folder + "/restored", original = copies.folder + "/original";
    ASSERT_FALSE(ExtractPartition(target, start, sectors, restored).empty());
    ASSERT_FALSE(ExtractPartition(disk.Path(), disk.fat32.start, disk.fat32.sectors, original).empty());
    ExpectSameFat(restored, original, copies.folder);
}
}
