#include "BackupDisk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "CDiskMap.h"
#include "FixtureImage.h"
#include "ListedPartitions.h"
#include "ICensa.h"

BackupDisk& BackupDisk::Get()
{
    static BackupDisk disk = [] {
        BackupDisk d;
        d.path_ = MakeFixtureImage("backup/backup-disk.sh", "backup-disk.img");
        setenv(CDiskMap::kImagesVariable, d.path_.c_str(), 1);
        for (const ListedPartition& listed : ListedPartitions(0)) {
            if (listed.IsFreeSpace() && d.freeSpaceIndex == UINT32_MAX)
                d.freeSpaceIndex = listed.index;
            for (FixturePartition* p : {&d.ntfs, &d.fat32, &d.fat12, &d.fat16})
                if (listed.info.StartSector == p->start && !listed.IsFreeSpace())
                    p->index = listed.index;
        }
        return d;
    }();
    return disk;
}

std::vector<uint8_t> BackupDisk::ReadSectors(uint64_t first, uint64_t count) const
{
    std::vector<uint8_t> bytes(count * 512);
    const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(static_cast<ssize_t>(bytes.size()), pread(fd, bytes.data(), bytes.size(), first * 512));
    close(fd);
    return bytes;
}

namespace {
// The work folders go when the test program ends: a split set is 170 MiB.
struct WorkFolders {
    std::vector<std::string> made;
    ~WorkFolders()
    {
        if (std::getenv("KEEP_BACKUP_WORK") != nullptr)
            return;
        for (const std::string& folder : made)
            std::system(("rm -rf '" + folder + "'").c_str());
    }
} g_workFolders;
}

std::string MakeWorkFolder(const std::string& name)
{
    const std::string folder = std::string(RVD_FIXTURE_CACHE) + "/backup-work-" + name + "-" + std::to_string(getpid());
    std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str());
    g_workFolders.made.push_back(folder);
    return folder;
}
