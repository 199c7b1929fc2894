// Backups of real NTFS, FAT32, FAT16 (logical) and FAT12 partitions, read back
// through the container: the volume records, the sectors before each volume, the
// stored bitmaps against the file-system readers' own, and every used cluster.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <unistd.h>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "FixtureImage.h"
#include "PeerBitmap.h"
#include "KSResult.h"

namespace {
bool Bit(const std::vector<uint8_t>& bits, uint64_t i) { return (bits[i / 8] >> (i % 8)) & 1; }

void CheckVolume(IKSCofran* set, IKSCofran* sequential, const _KS_VOLUME& v, const FixturePartition& p, uint8_t fs, uint8_t type,
                 bool byReader)
{
    const BackupDisk& disk = BackupDisk::Get();
    SCOPED_TRACE(p.start);
    EXPECT_EQ(p.start, v.PartitionStart);
    EXPECT_EQ(fs, v.FileSystem);
    EXPECT_EQ(type, v.PartitionType);
    EXPECT_EQ(0x5256440Bu, v.DiskSignature);
    EXPECT_EQ(63u, v.PreVolumeSectors);
    EXPECT_EQ(byReader, (v.Flags & KS_VOLFLAG_NO_FS_READER) == 0);

    _KS_VOLUME volume = v;
    ASSERT_EQ(0u, set->OpenVolume(&volume));
    std::vector<uint8_t> stored(63 * 512);
    unsigned long got = 0;
    ASSERT_EQ(0u, set->ReadSector(-63, stored.data(), 63, &got, 0));
    EXPECT_TRUE(stored == disk.ReadSectors(0, 63)) << "sectors 0-62";

    const uint64_t dataStart = v.ReservedSectors + uint64_t(v.NumberOfFats) * v.SectorsPerFat + v.RootDirSectors;
    if (dataStart != 0) {
        std::vector<uint8_t> system(dataStart * 512);
        ASSERT_EQ(0u, set->ReadSector(0, system.data(), static_cast<unsigned long>(dataStart), &got, 0));
        EXPECT_TRUE(system == disk.ReadSectors(p.start, dataStart)) << "system area";
    }

    std::vector<uint8_t> bitmap(v.BitmapSize);
    ASSERT_EQ(0u, sequential->GetVolumeBitmap(&v, bitmap.data(), v.BitmapSize));
    // The stored bitmap is what partclone finds used, less the page and hibernation files.
    const uint64_t clusters = (v.TotalSectors - dataStart) / v.SectorsPerCluster;
    if (byReader) {
        const std::string part = ExtractPartition(disk.Path(), p.start, p.sectors,
                                                  std::string(RVD_FIXTURE_CACHE) + "/backup-part-" +
                                                      std::to_string(p.start) + "-" + std::to_string(getpid()));
        ASSERT_FALSE(part.empty());
        std::vector<uint8_t> expected =
            PartcloneBitmap(fs == KS_FS_NTFS ? "ntfs" : "fat", part, dataStart, v.SectorsPerCluster, clusters,
                            v.BitmapSize);
        ASSERT_EQ(v.BitmapSize, expected.size()) << "partclone failed";
        if (fs == KS_FS_NTFS) {
            size_t runs = 0;
            for (const char* file : {"/pagefile.sys", "/hiberfil.sys"})
                for (const auto& run : NtfsRuns(part, file)) {
                    ++runs;
                    for (uint64_t c = run.first; c < run.first + run.second; ++c)
                        expected[c / 8] &= static_cast<uint8_t>(~(1u << (c % 8)));
                }
            EXPECT_GE(runs, 2u);
        }
        std::remove(part.c_str());
        std::remove((part + ".domain").c_str());
        std::remove((part + ".log").c_str());
        for (size_t i = 0; i < bitmap.size(); ++i)
            ASSERT_EQ(expected[i], bitmap[i]) << "stored bitmap byte " << i << " of " << bitmap.size();
    } else {
        for (uint64_t b = 0; b < clusters; ++b)
            ASSERT_TRUE(Bit(bitmap, b)) << b;
    }
    // Every stored cluster reads back as the disk holds it.
    const uint32_t spc = v.SectorsPerCluster;
    std::vector<uint8_t> cluster(spc * 512);
    uint64_t compared = 0;
    for (uint64_t c = 0; c < clusters; ++c) {
        if (!Bit(bitmap, c))
            continue;
        ASSERT_EQ(0u, set->ReadData(static_cast<unsigned long>(c), cluster.data(), 1, &got)) << c;
        ASSERT_TRUE(cluster == disk.ReadSectors(p.start + dataStart + c * spc, spc)) << "cluster " << c;
        ++compared;
    }
    EXPECT_GT(compared, 0u);
    set->CloseVolume();
}
}

TEST(BackupImage, FourFileSystemsBackUpAndReadBack)
{
    const BackupDisk& disk = BackupDisk::Get();
    ASSERT_FALSE(disk.Path().empty());
    const std::string folder = MakeWorkFolder("four");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    request.partitions = {disk.ntfs.index, disk.fat32.index, disk.fat16.index, disk.fat12.index};
    const BackupOutcome outcome = RunBackup(request);
    EXPECT_EQ(0u, outcome.executeResult);
    EXPECT_EQ(KS_BACKUP_STATE_FINISHED, outcome.last.State);
    EXPECT_EQ(0u, outcome.last.Result);
    EXPECT_EQ(100u, outcome.last.OverallPercent);
    EXPECT_EQ(KS_PROGRESS_TAG_BACKUP, outcome.last.Tag);
    EXPECT_EQ(4u, outcome.last.ItemCount);
    EXPECT_EQ(outcome.last.TotalBytes != 0, true);

    const std::vector<std::string> files = FilesIn(folder);
    ASSERT_EQ(1u, files.size());
    std::unique_ptr<IKSCofran, CofranDeleter> set(OpenSet(Wide(folder + "/" + files[0]), L""));
    std::unique_ptr<IKSCofran, CofranDeleter> sequential(
        OpenSet(Wide(folder + "/" + files[0]), L"", KS_OPEN_SEQUENTIAL));
    ASSERT_TRUE(set && sequential);
    _KS_IMG_FILE_INFO info{};
    ASSERT_EQ(0u, set->GetCofranInfo(&info));
    ASSERT_EQ(4u, info.VolumeCount);
    _KS_VOLUME volumes[4];
    ASSERT_EQ(0u, set->GetVolumes(volumes, 4));
    CheckVolume(set.get(), sequential.get(), volumes[0], disk.ntfs, KS_FS_NTFS, 0x07, true);
    CheckVolume(set.get(), sequential.get(), volumes[1], disk.fat32, KS_FS_FAT32, 0x0C, true);
    CheckVolume(set.get(), sequential.get(), volumes[2], disk.fat16, KS_FS_FAT16, 0x06, true);
    CheckVolume(set.get(), sequential.get(), volumes[3], disk.fat12, KS_FS_FAT12, 0x01, false);
    EXPECT_EQ(KS_VOLFLAG_ACTIVE | KS_VOLFLAG_PRIMARY, volumes[0].Flags & (KS_VOLFLAG_ACTIVE | KS_VOLFLAG_PRIMARY));
    EXPECT_EQ(0, volumes[2].Flags & KS_VOLFLAG_PRIMARY);
    EXPECT_EQ(u'B', volumes[1].Label[0]);
}
