// A set damaged after it was written: one byte changed in a stored block of a volume,
// in the sector run of its system area or in its boot track. Every road that writes
// the volume's bytes to a disk checks what it reads before using it, so the run ends
// with the container's bad-data code (or, for a deflated blob, its inflate failure),
// never with success, and the target partition's first sector stays blank.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CDiskMap.h"
#include "KSImageFormat.h"
#include "KSResult.h"
#include "RestoreFixture.h"
#include "SetDamage.h"

namespace {
constexpr uint64_t kSingleStart = 2048;
constexpr unsigned long kDamagedKind = 0x00C;   // the container: a CRC-64 does not match
constexpr unsigned long kInflateKind = 0x064;   // the container: a stream does not inflate
constexpr unsigned long kOverflowKind = 0x00E;  // the container: a stream inflates past its size

enum class DamageRoad {
    SameSize,        // the block walk onto a partition of the volume's size
    WholeDisk,       // every volume and the boot track, in disk mode
    BootTrack,       // the whole-disk item alone, its boot track damaged
    Larger,          // the block walk, then the volume grown (NTFS) or its FATs (FAT16)
    LargerByCopy,    // the FAT copier: the larger partition calls for other clusters
    Smaller,         // the copiers, from the image device
};

// What is damaged: a block of the volume's clusters, the list of its blocks (an index
// chunk), the sector run of its system area, or the boot track stored before it.
enum class DamagePlace { Block, IndexChunk, SystemRun, BootTrack };

struct DamageCase {
    const char* what;
    DamageRoad road;
    DamagePlace place;
    FixturePartition BackupDisk::*volume;
    uint64_t targetSectors;  // 0: the fixture's own partition table
    const char* type;
};

// The backup fixture's NTFS, FAT32 and FAT16 volumes, kept as they are (level 0) or
// deflated (level 1); made once.
const std::string& DamageSourceSet(uint32_t level)
{
    static std::string sets[2];
    std::string& set = sets[level == 0 ? 0 : 1];
    if (set.empty()) {
        const BackupDisk& disk = BackupDisk::Get();
        const std::string folder = MakeWorkFolder("restore-damage-level" + std::to_string(level));
        BackupRequest request;
        request.imagePath = Wide(folder + "/set.rvd");
        request.level = level;
        request.partitions = {disk.ntfs.index, disk.fat32.index, disk.fat16.index};
        EXPECT_EQ(0u, RunBackup(request).last.Result);
        const std::vector<std::string> files = FilesIn(folder);
        EXPECT_EQ(files.size(), 1u);
        if (files.size() == 1)
            set = folder + "/" + files[0];
    }
    return set;
}

std::string MakeSinglePartitionTarget(const std::string& folder, uint64_t sectors, const char* type)
{
    const std::string target = folder + "/single.img";
    EXPECT_EQ(0, std::system(("rm -f '" + target + "' && truncate -s 200M '" + target +
                              "' && printf 'label: dos\\n1 : start=" + std::to_string(kSingleStart) + ", size=" +
                              std::to_string(sectors) + ", type=" + type + "\\n' | sfdisk --quiet '" + target +
                              "' >/dev/null 2>&1").c_str()));
    setenv(CDiskMap::kImagesVariable, (BackupDisk::Get().Path() + ":" + target).c_str(), 1);
    return target;
}

bool SectorIsBlank(const std::string& disk, uint64_t sector)
{
    unsigned char bytes[512];
    const int fd = open(disk.c_str(), O_RDONLY | O_CLOEXEC);
    const bool read = fd >= 0 && pread(fd, bytes, sizeof bytes, static_cast<off_t>(sector * 512)) == 512;
    if (fd >= 0)
        close(fd);
    for (unsigned char b : bytes)
        if (read && b != 0)
            return false;
    return read;
}

// Queues the road's operations as the command channel does and runs them.
_KS_PROGRESS_INFO RunDamageRoad(const DamageCase& c, const std::string& setFile, uint64_t& checkedSector,
                                std::string& target, const std::string& folder)
{
    const BackupDisk& disk = BackupDisk::Get();
    const FixturePartition& source = disk.*c.volume;
    FixturePartition onto = source;
    if (c.targetSectors == 0) {
        target = MakeTargetDisk(folder);
    } else {
        target = MakeSinglePartitionTarget(folder, c.targetSectors, c.type);
        onto = FixturePartition{kSingleStart, c.targetSectors};
    }
    checkedSector = onto.start;
    void* object = nullptr;
    EXPECT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    const bool wholeDisk = c.road == DamageRoad::WholeDisk || c.road == DamageRoad::BootTrack;
    engine->SetDiskMode(wholeDisk ? 1 : 0);
    std::wstring path = Wide(setFile);
    unsigned long count = 0;
    _KS_VERSION version{};
    EXPECT_EQ(0u, engine->GetImageVersions(&version, 1, &count, &path[0]));
    EXPECT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
    _KS_VOLUME volumes[3]{};
    EXPECT_EQ(0u, engine->GetImgVolumes(volumes, 3, &count, &version));
    for (_KS_VOLUME& v : volumes) {
        _KS_RESTORE_TARGET t{};
        if (c.road == DamageRoad::WholeDisk)
            t = TargetOf(v.PartitionStart == disk.ntfs.start ? disk.ntfs
                         : v.PartitionStart == disk.fat32.start ? disk.fat32
                                                                 : disk.fat16);
        else if (c.road != DamageRoad::BootTrack && v.PartitionStart == source.start)
            t = TargetOf(onto);
        if (t.SectorCount != 0) {
            EXPECT_EQ(0u, engine->AddRestore(&v, &t, 0));
        }
    }
    if (wholeDisk) {
        _KS_RESTORE_TARGET whole{};
        whole.DiskNumber = kTargetDisk;
        whole.ImageDisk = 0;
        EXPECT_EQ(0u, engine->AddRestore(&volumes[0], &whole, 0));
    }
    return ExecuteAndWait(engine.get());
}

TEST(RestoreDamage, EveryRoadRefusesADamagedBlockInsteadOfWritingIt)
{
    const DamageCase cases[] = {
        {"NTFS onto its own size", DamageRoad::SameSize, DamagePlace::Block, &BackupDisk::ntfs, 0, ""},
        {"FAT32 onto its own size", DamageRoad::SameSize, DamagePlace::Block, &BackupDisk::fat32, 0, ""},
        {"FAT32's block list onto its own size", DamageRoad::SameSize, DamagePlace::IndexChunk, &BackupDisk::fat32, 0,
         ""},
        {"FAT32's FATs onto its own size", DamageRoad::SameSize, DamagePlace::SystemRun, &BackupDisk::fat32, 0, ""},
        {"a whole disk, FAT16 damaged", DamageRoad::WholeDisk, DamagePlace::Block, &BackupDisk::fat16, 0, ""},
        {"NTFS grown onto a larger partition", DamageRoad::Larger, DamagePlace::Block, &BackupDisk::ntfs, 98304, "7"},
        {"FAT16 onto a larger partition, same clusters", DamageRoad::Larger, DamagePlace::Block, &BackupDisk::fat16,
         140000, "6"},
        {"FAT16 copied onto a larger partition", DamageRoad::LargerByCopy, DamagePlace::Block, &BackupDisk::fat16,
         300000, "6"},
        {"NTFS copied onto a smaller partition", DamageRoad::Smaller, DamagePlace::Block, &BackupDisk::ntfs, 24576, "7"},
        {"FAT16 copied onto a smaller partition", DamageRoad::Smaller, DamagePlace::Block, &BackupDisk::fat16, 28672,
         "6"},
        {"FAT16's FATs copied onto a smaller partition", DamageRoad::Smaller, DamagePlace::SystemRun,
         &BackupDisk::fat16, 28672, "6"},
        {"the boot track of a whole disk", DamageRoad::BootTrack, DamagePlace::BootTrack, &BackupDisk::ntfs, 0, ""},
    };
    const BackupDisk& disk = BackupDisk::Get();
    for (const uint32_t level : {0u, 1u}) {
        const std::string& set = DamageSourceSet(level);
        ASSERT_FALSE(set.empty());
        for (const DamageCase& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (level == 0 ? ", stored block" : ", deflated block"));
            const std::string folder = MakeWorkFolder("restore-damage-road");
            const std::string damaged = CopySetFile(set, folder + "/set");
            ASSERT_FALSE(damaged.empty());
            StoredPlace place;
            if (c.place == DamagePlace::BootTrack) {
                // The whole-disk item takes the boot track stored with any of the volumes.
                for (const FixturePartition* p : {&disk.ntfs, &disk.fat32, &disk.fat16}) {
                    ASSERT_TRUE(FindPreVolumeSectors(damaged, p->start, place));
                    ASSERT_EQ(place.stored < place.raw, level != 0);
                    ASSERT_TRUE(FlipMiddleByte(damaged, place));
                }
            } else if (c.place == DamagePlace::IndexChunk) {
                ASSERT_TRUE(FindIndexChunk(damaged, (disk.*c.volume).start, level != 0, place));
                // Kept as it is, the third block is moved by 1024 clusters: its data and
                // CRC-64 still agree, so only the chunk's own CRC-64 can tell.
                if (level == 0) {
                    ASSERT_TRUE(FlipByte(damaged, place.filePos + KS_INDX_HEAD_SIZE + 2 * KS_BLOCK_SIZE + 1, 0x04));
                } else {
                    ASSERT_TRUE(FlipMiddleByte(damaged, place));
                }
            } else if (c.place == DamagePlace::SystemRun) {
                ASSERT_TRUE(FindSystemRun(damaged, (disk.*c.volume).start, place));
                ASSERT_EQ(place.stored < place.raw, level != 0);
                ASSERT_TRUE(FlipMiddleByte(damaged, place));
            } else {
                ASSERT_TRUE(FindVolumeBlock(damaged, (disk.*c.volume).start, level != 0, place));
                ASSERT_TRUE(FlipMiddleByte(damaged, place));
            }
            uint64_t firstSector = 0;
            std::string target;
            const _KS_PROGRESS_INFO record = RunDamageRoad(c, damaged, firstSector, target, folder);
            EXPECT_EQ(record.State, RESTORE_STATE_FINISH);
            const unsigned long kind = KSResultKind(record.Result);
            // A stored block has its CRC-64 alone to tell; a deflated one mostly fails
            // to inflate first. Either way the code is the image's own.
            EXPECT_EQ(KSResultModule(record.Result), KS_MODULE_CONTAINER) << std::hex << record.Result;
            if (level == 0)
                EXPECT_EQ(kind, kDamagedKind) << std::hex << record.Result;
            else
                EXPECT_TRUE(kind == kDamagedKind || kind == kInflateKind || kind == kOverflowKind)
                    << std::hex << record.Result;
            if (c.road != DamageRoad::BootTrack) {
                EXPECT_TRUE(SectorIsBlank(target, firstSector));
            }
        }
    }
}
}
