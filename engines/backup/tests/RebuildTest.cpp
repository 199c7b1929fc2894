// Partitions rebuilt from a set (the stored system area and used clusters over
// zeros) pass the file-system tools' checks and hold the same files as the disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CommandOutput.h"
#include "FixtureImage.h"
#include "KSResult.h"
#include "PeerBitmap.h"

namespace {

// Writes the volume's stored sectors and clusters into a zeroed file of its size.
void Rebuild(IKSCofran* set, IKSCofran* sequential, const _KS_VOLUME& v, uint64_t sectors, const std::string& out)
{
    const int fd = open(out.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ftruncate(fd, static_cast<off_t>(sectors * 512)));
    _KS_VOLUME volume = v;
    ASSERT_EQ(0u, set->OpenVolume(&volume));
    const uint64_t dataStart = v.ReservedSectors + uint64_t(v.NumberOfFats) * v.SectorsPerFat + v.RootDirSectors;
    unsigned long got = 0;
    if (dataStart != 0) {
        std::vector<uint8_t> system(dataStart * 512);
        ASSERT_EQ(0u, set->ReadSector(0, system.data(), static_cast<unsigned long>(dataStart), &got, 0));
        ASSERT_EQ(static_cast<ssize_t>(system.size()), pwrite(fd, system.data(), system.size(), 0));
    }
    std::vector<uint8_t> bitmap(v.BitmapSize);
    ASSERT_EQ(0u, sequential->GetVolumeBitmap(&v, bitmap.data(), v.BitmapSize));
    std::vector<uint8_t> cluster(v.SectorsPerCluster * 512);
    const uint64_t clusters = (v.TotalSectors - dataStart) / v.SectorsPerCluster;
    for (uint64_t c = 0; c < clusters; ++c) {
        if (!((bitmap[c / 8] >> (c % 8)) & 1))
            continue;
        ASSERT_EQ(0u, set->ReadData(static_cast<unsigned long>(c), cluster.data(), 1, &got)) << c;
        const off_t at = static_cast<off_t>((dataStart + c * v.SectorsPerCluster) * 512);
        ASSERT_EQ(static_cast<ssize_t>(cluster.size()), pwrite(fd, cluster.data(), cluster.size(), at));
    }
    // NTFS keeps a copy of its boot sector just past the volume's sectors, outside
    // what a set stores; a restore writes it from the boot sector.
    if (v.FileSystem == KS_FS_NTFS && v.TotalSectors < sectors) {
        std::vector<uint8_t> boot(512);
        ASSERT_EQ(0u, set->ReadData(0, cluster.data(), 1, &got));
        std::copy(cluster.begin(), cluster.begin() + 512, boot.begin());
        ASSERT_EQ(512, pwrite(fd, boot.data(), 512, static_cast<off_t>(v.TotalSectors * 512)));
    }
    set->CloseVolume();
    close(fd);
}
}

TEST(BackupRebuild, RebuiltPartitionsPassTheirChecksAndHoldTheSameFiles)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("rebuild");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    request.partitions = {disk.ntfs.index, disk.fat32.index, disk.fat16.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(folder);
    ASSERT_EQ(1u, files.size());
    std::unique_ptr<IKSCofran, CofranDeleter> set(OpenSet(Wide(folder + "/" + files[0]), L""));
    std::unique_ptr<IKSCofran, CofranDeleter> sequential(OpenSet(Wide(folder + "/" + files[0]), L"", KS_OPEN_SEQUENTIAL));
    ASSERT_TRUE(set && sequential);
    _KS_VOLUME volumes[3];
    ASSERT_EQ(0u, set->GetVolumes(volumes, 3));

    const FixturePartition* parts[3] = {&disk.ntfs, &disk.fat32, &disk.fat16};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(parts[i]->start);
        const std::string rebuilt = folder + "/rebuilt" + std::to_string(i);
        const std::string original = folder + "/original" + std::to_string(i);
        Rebuild(set.get(), sequential.get(), volumes[i], parts[i]->sectors, rebuilt);
        ASSERT_FALSE(ExtractPartition(disk.Path(), parts[i]->start, parts[i]->sectors, original).empty());
        if (i == 0) {
            EXPECT_EQ(0, std::system(("ntfsfix -n '" + rebuilt + "' >/dev/null 2>&1").c_str()));
            for (const char* name : {"/file1.bin", "/file2.bin", "/file3.bin"}) {
                const std::string a = CommandOutput("ntfscat '" + rebuilt + "' " + name + " 2>/dev/null");
                EXPECT_FALSE(a.empty()) << name;
                EXPECT_TRUE(a == CommandOutput("ntfscat '" + original + "' " + name + " 2>/dev/null")) << name;
            }
        } else {
            EXPECT_EQ(0, std::system(("fsck.fat -n '" + rebuilt + "' >/dev/null 2>&1").c_str()));
            for (const char* name : {"::/BIG.BIN", "::/DOCS/FILE1.TXT", "::/DOCS/FILE5.TXT"}) {
                const std::string a = CommandOutput("MTOOLS_SKIP_CHECK=1 mtype -i '" + rebuilt + "' " + name + " 2>/dev/null");
                EXPECT_FALSE(a.empty()) << name;
                EXPECT_TRUE(a == CommandOutput("MTOOLS_SKIP_CHECK=1 mtype -i '" + original + "' " + name + " 2>/dev/null"))
                    << name;
            }
        }
        std::remove(rebuilt.c_str());
        std::remove(original.c_str());
    }
}
