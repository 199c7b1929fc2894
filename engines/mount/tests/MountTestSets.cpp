#include "MountTestSets.h"

#include "BackupDisk.h"
#include "BackupRunner.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

MountSet BackUpAndPick(const std::string& name, const std::vector<uint32_t>& partitions, const std::wstring& password,
                       uint32_t splitMiB, unsigned pick)
{
    const MadeMountSet made = BackUpForMount(name, partitions, password, splitMiB);
    MountSet set;
    set.files = made.files;
    if (!made.files.empty())
        set.file = made.files.back();
    EXPECT_EQ(made.volumes.size(), partitions.size());
    if (pick < made.volumes.size())
        set.volume = made.volumes[pick];
    return set;
}

} // namespace

MadeMountSet BackUpForMount(const std::string& name, const std::vector<uint32_t>& partitions,
                            const std::wstring& password, uint32_t splitMiB)
{
    const std::string folder = MakeWorkFolder(name);
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    request.password = password;
    request.partitions = partitions;
    if (splitMiB != 0) {
        request.splitMiB = splitMiB;
        request.sectorBySector = 1;
        request.level = 0;
    }
    MadeMountSet set;
    EXPECT_EQ(0u, RunBackup(request).last.Result);
    for (const std::string& file : FilesIn(folder))
        set.files.push_back(Wide(folder + "/" + file));
    if (set.files.empty())
        return set;
    std::unique_ptr<IKSCofran, CofranDeleter> reader(OpenSet(set.files.back(), password));
    EXPECT_NE(reader, nullptr);
    if (reader == nullptr)
        return set;
    _KS_IMG_FILE_INFO info{};
    info.Size = sizeof info;
    EXPECT_EQ(0u, reader->GetCofranInfo(&info));
    set.volumes.resize(info.VolumeCount);
    EXPECT_EQ(0u, reader->GetVolumes(set.volumes.data(), info.VolumeCount));
    unsigned long count = 0;
    EXPECT_EQ(0u, reader->GetBackupImg(nullptr, &count));
    set.images.resize(count);
    EXPECT_EQ(0u, reader->GetBackupImg(set.images.data(), &count));
    return set;
}

MountSet BackUpOneVolume(const std::string& name, uint32_t partition, const std::wstring& password)
{
    return BackUpAndPick(name, {partition}, password, 0, 0);
}

MountSet BackUpSplitVolume(const std::string& name, uint32_t partition, unsigned copies, uint32_t splitMiB,
                           unsigned pick)
{
    return BackUpAndPick(name, std::vector<uint32_t>(copies, partition), L"", splitMiB, pick);
}
