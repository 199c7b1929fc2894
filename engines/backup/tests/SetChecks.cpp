#include "SetChecks.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "FixtureImage.h"
#include "KSResult.h"
#include "PeerBitmap.h"

namespace {
bool Bit(const std::vector<uint8_t>& bits, uint64_t i) { return (bits[i / 8] >> (i % 8)) & 1; }

} // namespace

void CheckVolume(IKSCofran* set, const std::vector<IKSCofran*>& sequential, const _KS_VOLUME& v, const FixturePartition& p, uint8_t fs, uint8_t type,
                 bool byReader, const std::vector<IKSCofran*>& others)
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
    for (IKSCofran* file : sequential) {
        std::vector<uint8_t> part(v.BitmapSize);
        if (file->GetVolumeBitmap(&v, part.data(), v.BitmapSize) != 0)
            continue;
        for (size_t i = 0; i < part.size(); ++i)
            bitmap[i] |= part[i];
    }
    // The stored bitmap is what partclone finds used, less the page and hibernation files.
    const uint64_t clusters = (v.TotalSectors - dataStart) / v.SectorsPerCluster;
    if ((v.Flags & KS_VOLFLAG_ALL_SECTORS) == 0) {
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
    uint64_t compared = 0, elsewhere = 0;
    std::vector<IKSCofran*> holders; // the other files that know the volume
    for (IKSCofran* other : others) {
        _KS_VOLUME copy = v;
        if (other->OpenVolume(&copy) == 0)
            holders.push_back(other);
    }
    for (uint64_t c = 0; c < clusters; ++c) {
        if (!Bit(bitmap, c))
            continue;
        unsigned long rc = set->ReadData(static_cast<unsigned long>(c), cluster.data(), 1, &got);
        // A run stored in another file of the set is read from that file.
        for (size_t i = 0; KSResultKind(rc) == 0x108 && i < holders.size(); ++i)
            rc = holders[i]->ReadData(static_cast<unsigned long>(c), cluster.data(), 1, &got);
        if (KSResultKind(rc) == 0x108 && !others.empty()) {
            ++elsewhere; // the run's index chunk lies in a file whose volume list lacks the volume
            continue;
        }
        ASSERT_EQ(0u, rc) << c;
        ASSERT_TRUE(cluster == disk.ReadSectors(p.start + dataStart + c * spc, spc)) << "cluster " << c;
        ++compared;
    }
    EXPECT_GT(compared, 0u);
    EXPECT_LT(elsewhere, compared);
    set->CloseVolume();
    for (IKSCofran* holder : holders)
        holder->CloseVolume();
}
