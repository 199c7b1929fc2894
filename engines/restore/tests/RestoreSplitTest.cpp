// Volumes of a split set that run from one file into the next restore like any other:
// each of five stored copies of the FAT32 volume, most of them crossing a file end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "BackupDisk.h"
#include "BackupRunner.h"
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

TEST(RestoreSplit, EveryVolumeOfASplitSetRestoresWhereverItsFilesEnd)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-split");
    BackupRequest request;
    request.imagePath = Wide(folder + "/split.rvd");
    request.partitions.assign(5, disk.fat32.index);
    request.sectorBySector = 1;
    request.level = 0;
    request.splitMiB = 50;
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(folder);
    ASSERT_EQ(files.size(), 4u);
    const std::wstring set = Wide(folder + "/" + files.back());

    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine lister(static_cast<IKSRestore*>(object));
    std::wstring path = set;
    unsigned long count = 0;
    _KS_VERSION version{};
    ASSERT_EQ(0u, lister->GetImageVersions(&version, 1, &count, &path[0]));
    ASSERT_EQ(0u, lister->SetImgInfo(&version, &path[0]));
    _KS_VOLUME volumes[5];
    ASSERT_EQ(0u, lister->GetImgVolumes(volumes, 5, &count, &version));
    ASSERT_EQ(count, 5u);

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
}
