#include "MountTestSets.h"

#include "BackupDisk.h"
#include "BackupRunner.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

MountSet BackUpOneVolume(const std::string& name, uint32_t partition, const std::wstring& password)
{
    const std::string folder = MakeWorkFolder(name);
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    request.password = password;
    request.partitions = {partition};
    MountSet set;
    EXPECT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(folder);
    if (files.empty())
        return set;
    set.file = Wide(folder + "/" + files.back());
    std::unique_ptr<IKSCofran, CofranDeleter> reader(OpenSet(set.file, password));
    EXPECT_NE(reader, nullptr);
    if (reader == nullptr)
        return set;
    _KS_IMG_FILE_INFO info{};
    info.Size = sizeof info;
    EXPECT_EQ(0u, reader->GetCofranInfo(&info));
    EXPECT_EQ(info.VolumeCount, 1u);
    EXPECT_EQ(0u, reader->GetVolumes(&set.volume, 1));
    return set;
}
