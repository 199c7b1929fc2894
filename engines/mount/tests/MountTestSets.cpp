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
    MountSet set;
    EXPECT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(folder);
    if (files.empty())
        return set;
    for (const std::string& file : files)
        set.files.push_back(Wide(folder + "/" + file));
    set.file = set.files.back();
    std::unique_ptr<IKSCofran, CofranDeleter> reader(OpenSet(set.file, password));
    EXPECT_NE(reader, nullptr);
    if (reader == nullptr)
        return set;
    _KS_IMG_FILE_INFO info{};
    info.Size = sizeof info;
    EXPECT_EQ(0u, reader->GetCofranInfo(&info));
    EXPECT_EQ(info.VolumeCount, partitions.size());
    std::vector<_KS_VOLUME> volumes(info.VolumeCount);
    EXPECT_EQ(0u, reader->GetVolumes(volumes.data(), info.VolumeCount));
    if (pick < volumes.size())
        set.volume = volumes[pick];
    return set;
}

} // namespace

MountSet BackUpOneVolume(const std::string& name, uint32_t partition, const std::wstring& password)
{
    return BackUpAndPick(name, {partition}, password, 0, 0);
}

MountSet BackUpSplitVolume(const std::string& name, uint32_t partition, unsigned copies, uint32_t splitMiB,
                           unsigned pick)
{
    return BackUpAndPick(name, std::vector<uint32_t>(copies, partition), L"", splitMiB, pick);
}
