// Volumes of sets the backup engine made from a real disk image (NTFS and FAT32
// primaries, a FAT16 logical; plain, split and encrypted) plugged into the core:
// the whole child disk read through its SCSI path is the source volume behind a
// made-up track 0, and the file-system tools agree.
#include <gtest/gtest.h>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CommandOutput.h"
#include "CoreTestSet.h"

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

struct Source {
    const FixturePartition* partition;
    uint8_t partitionType;   // what the made-up table should show
    const char* kind;        // "ntfs" or "fat"
};

class PluggedSetTest : public CoreTest {
protected:
    // Backs up the partitions into folder/set.rvd and returns the set's files, in name order.
    std::vector<std::string> BackUp(const std::string& folder, const std::vector<const FixturePartition*>& parts,
                                    const std::wstring& password = std::wstring(), uint32_t splitMiB = 0)
    {
        BackupRequest request;
        request.imagePath = Wide(folder + "/set.rvd");
        request.password = password;
        for (const FixturePartition* p : parts)
            request.partitions.push_back(p->index);
        if (splitMiB != 0) {
            request.splitMiB = splitMiB;
            request.level = 0;
            request.sectorBySector = 1;
        }
        EXPECT_EQ(0u, RunBackup(request).last.Result);
        std::vector<std::string> files = FilesIn(folder);
        for (std::string& f : files)
            f = folder + "/" + f;
        return files;
    }

    std::vector<_KS_VOLUME> Volumes(const std::string& file, const std::wstring& password)
    {
        std::unique_ptr<IKSCofran, CofranDeleter> set(OpenSet(Wide(file), password));
        EXPECT_TRUE(set != nullptr);
        if (!set)
            return {};
        _KS_IMG_FILE_INFO info{};
        EXPECT_EQ(0u, set->GetCofranInfo(&info));
        std::vector<_KS_VOLUME> volumes(info.VolumeCount);
        EXPECT_EQ(0u, set->GetVolumes(volumes.data(), info.VolumeCount));
        return volumes;
    }

    // Plugs the volume in, reads the child disk whole and checks it against the source.
    void Check(const std::string& file, const _KS_VOLUME& volume, const Source& source,
               const std::u16string& password, const std::string& work)
    {
        const BackupDisk& disk = BackupDisk::Get();
        const uint8_t letter = 12;
        const uint32_t diskId = 0x3C5A7E95;
        std::vector<uint8_t> record = MakeRecord(volume, letter, diskId, password, Wide(file));
        ASSERT_EQ(0, Plug(record));
        struct Unplug {
            PluggedSetTest* test;
            uint8_t letter;
            ~Unplug() { test->TargetCall(IOCTL_ZEDISK_UNPLUG, 1u << letter); }
        } unplug{this, letter};
        const uint32_t serial = pnp.Children().back();
        std::shared_ptr<wdk::ChildDisk> child = Disk(serial);
        ASSERT_NE(nullptr, child);

        uint32_t last = 0, sectorSize = 0;
        ASSERT_EQ(0, child->Capacity(last, sectorSize));
        // The volume may end before its partition (NTFS keeps its backup boot sector
        // past the volume's last sector).
        const uint64_t sectors = volume.TotalSectors;
        ASSERT_LE(sectors, source.partition->sectors);
        ASSERT_GE(sectors + 1, source.partition->sectors);
        EXPECT_EQ(sectors + 62, last);
        EXPECT_EQ(512u, sectorSize);
        std::vector<uint8_t> dump((sectors + 63) * 512);
        for (uint64_t at = 0; at < sectors + 63; at += 128) {
            const uint16_t n = static_cast<uint16_t>(std::min<uint64_t>(128, sectors + 63 - at));
            ASSERT_EQ(0, child->Read(static_cast<uint32_t>(at), n, dump.data() + at * 512)) << at;
        }
        child.reset();

        // Track 0 is the source's, boot code included; the table is made up.
        const std::vector<uint8_t> track = disk.ReadSectors(source.partition->start - 63, 63);
        EXPECT_EQ(0, std::memcmp(track.data(), dump.data(), 440));
        EXPECT_EQ(0, std::memcmp(track.data() + 512, dump.data() + 512, 62 * 512));
        // Every used cluster and the system area as the source holds them.
        const std::vector<uint8_t> part = disk.ReadSectors(source.partition->start, sectors);
        const uint8_t* got = dump.data() + 63 * 512;
        const bool fat = std::string(source.kind) == "fat";
        const uint64_t dataStart =
            fat ? volume.ReservedSectors + uint64_t(volume.NumberOfFats) * volume.SectorsPerFat + volume.RootDirSectors
                : 0;
        EXPECT_EQ(0, std::memcmp(part.data(), got, dataStart * 512));
        std::vector<uint8_t> bitmap(volume.BitmapSize);
        {
            std::unique_ptr<IKSCofran, CofranDeleter> set(
                OpenSet(Wide(file), std::wstring(password.begin(), password.end()), KS_OPEN_SEQUENTIAL));
            ASSERT_TRUE(set != nullptr);
            ASSERT_EQ(0u, set->GetVolumeBitmap(&volume, bitmap.data(), volume.BitmapSize));
        }
        const uint32_t spc = volume.SectorsPerCluster;
        uint64_t used = 0, differing = 0;
        for (uint64_t c = 0; c < uint64_t(volume.BitmapSize) * 8; ++c) {
            if ((bitmap[c / 8] & (1u << (c % 8))) == 0)
                continue;
            const uint64_t first = dataStart + c * spc;
            if (first + spc > sectors)
                break;
            ++used;
            differing += std::memcmp(part.data() + first * 512, got + first * 512, spc * 512) != 0;
        }
        EXPECT_GT(used, 10u);
        EXPECT_EQ(0u, differing) << "of " << used << " used clusters";

        // The tools: the table, the file system's check, the same files.
        const std::string stem = work + "/" + std::to_string(source.partition->start);
        const std::string dumpFile = stem + "-dump.img";
        const std::string partFile = stem + "-part.img";
        const std::string sourceFile = stem + "-source.img";
        std::ofstream(dumpFile, std::ios::binary).write(reinterpret_cast<const char*>(dump.data()), dump.size());
        std::ofstream(partFile, std::ios::binary).write(reinterpret_cast<const char*>(got), sectors * 512);
        std::ofstream(sourceFile, std::ios::binary).write(reinterpret_cast<const char*>(part.data()), part.size());
        const std::string table = CommandOutput("sfdisk --dump '" + dumpFile + "' 2>&1");
        char labelId[32];
        std::snprintf(labelId, sizeof labelId, "label-id: 0x%08x", (diskId & ~0x1Fu) | serial);
        EXPECT_NE(std::string::npos, table.find(labelId)) << table;
        char entry[96];
        std::snprintf(entry, sizeof entry, "start=          63, size=%12llu, type=%x",
                      static_cast<unsigned long long>(sectors), source.partitionType);
        EXPECT_NE(std::string::npos, table.find(entry)) << table;
        EXPECT_EQ(std::string::npos, table.find("dump.img2")) << "one partition only:\n" << table;
        int status = 0;
        if (fat) {
            const std::string fsck = CommandOutput("fsck.fat -n '" + partFile + "' 2>&1", &status);
            EXPECT_EQ(0, status) << fsck;
            const std::string ours = CommandOutput("MTOOLS_SKIP_CHECK=1 mdir -/ -b -i '" + partFile + "' :: 2>&1");
            const std::string theirs =
                CommandOutput("MTOOLS_SKIP_CHECK=1 mdir -/ -b -i '" + sourceFile + "' :: 2>&1");
            EXPECT_EQ(theirs, ours);
            EXPECT_NE(std::string::npos, ours.find("BIG.BIN")) << ours;
            const std::string big = CommandOutput("bash -c \"cmp <(MTOOLS_SKIP_CHECK=1 mtype -i '" + partFile +
                                                  "' ::/BIG.BIN) <(MTOOLS_SKIP_CHECK=1 mtype -i '" + sourceFile +
                                                  "' ::/BIG.BIN) && echo same\"");
            EXPECT_EQ("same\n", big);
        } else {
            // The disk ends with the volume's last sector; ntfs-3g's tools also check
            // the sector after it, where a real partition keeps the backup boot
            // sector, so the copy they read gets the volume's boot sector once more.
            std::ofstream(partFile, std::ios::binary | std::ios::app).write(reinterpret_cast<const char*>(got), 512);
            const std::string fix = CommandOutput("ntfsfix -n '" + partFile + "' 2>&1", &status);
            EXPECT_EQ(0, status) << fix;
            // (The backup leaves the page file's contents out.)
            for (const char* name : {"file1.bin", "file2.bin", "file3.bin"}) {
                const std::string same = CommandOutput("bash -c \"cmp <(ntfscat '" + partFile + "' " + name +
                                                       ") <(ntfscat '" + sourceFile + "' " + name +
                                                       ") && echo same\"");
                EXPECT_EQ("same\n", same) << name;
            }
        }
    }
};

TEST_F(PluggedSetTest, PlainSetOfNtfsFat32AndALogicalFat16)
{
    const BackupDisk& disk = BackupDisk::Get();
    ASSERT_FALSE(disk.Path().empty());
    const std::string work = MakeWorkFolder("zedisk-plain");
    const std::vector<std::string> files = BackUp(work, {&disk.ntfs, &disk.fat32, &disk.fat16});
    ASSERT_EQ(1u, files.size());
    const std::vector<_KS_VOLUME> volumes = Volumes(files[0], L"");
    ASSERT_EQ(3u, volumes.size());
    const Source sources[3] = {{&disk.ntfs, 0x07, "ntfs"}, {&disk.fat32, 0x0B, "fat"}, {&disk.fat16, 0x04, "fat"}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        Check(files[0], volumes[i], sources[i], std::u16string(), work);
    }
}

TEST_F(PluggedSetTest, EncryptedSetNeedsItsPassword)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string work = MakeWorkFolder("zedisk-encrypted");
    const std::vector<std::string> files = BackUp(work, {&disk.fat16}, L"geheim");
    ASSERT_EQ(1u, files.size());
    const std::vector<_KS_VOLUME> volumes = Volumes(files[0], L"geheim");
    ASSERT_EQ(1u, volumes.size());
    EXPECT_EQ(static_cast<ZdStatus>(0xC000009C), Plug(MakeRecord(volumes[0], 3, 1, U16("other"), Wide(files[0]))));
    EXPECT_TRUE(pnp.Children().empty());
    // The right password from a user the image's folder is kept from: the worker
    // opens the image as that user, and nothing stays.
    const size_t blocks = wdk::Ledger().liveBlocks;
    wdk::DenyIdentity("visitor", work);
    wdk::SetThreadIdentity("visitor");
    EXPECT_EQ(static_cast<ZdStatus>(0xC000009C), Plug(MakeRecord(volumes[0], 3, 1, U16("geheim"), Wide(files[0]))));
    wdk::SetThreadIdentity("SYSTEM");
    EXPECT_TRUE(pnp.Children().empty());
    EXPECT_EQ(0, wdk::OpenFiles());
    EXPECT_EQ(blocks, wdk::Ledger().liveBlocks);
    Check(files[0], volumes[0], {&disk.fat16, 0x04, "fat"}, U16("geheim"), work);
}

TEST_F(PluggedSetTest, SplitSetWhoseVolumeRunsIntoTheNextFile)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string work = MakeWorkFolder("zedisk-split");
    const std::vector<std::string> files = BackUp(work, {&disk.fat32, &disk.fat32}, std::wstring(), 50);
    ASSERT_GE(files.size(), 2u);
    const std::vector<_KS_VOLUME> volumes = Volumes(files.back(), L"");
    ASSERT_EQ(2u, volumes.size());
    // The record names the file that holds the volume's start: the first file for
    // the first volume, the last one for the volume that begins there.
    const std::string starts[2] = {files.front(), files.back()};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        Check(starts[i], volumes[i], {&disk.fat32, 0x0B, "fat"}, std::u16string(), work);
    }
}

} // namespace
