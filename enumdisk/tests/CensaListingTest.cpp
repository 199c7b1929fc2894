// The module as the console links it, over the real device manager and disk images
// made by sfdisk, mkfs.fat and mkntfs: every field agrees with sfdisk, blkid and the
// system's own readers, and only the images named in the disk map's variable exist.
#include <KSPlatformControl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "CDiskMap.h"
#include "DiskFacts.h"
#include "FixtureImage.h"
#include "ICensa.h"
#include "KSResult.h"
#include "LittleEndian.h"
#include "MomPtr.h"
#include "vessmar/IVessmarModule.h"

namespace {

std::string MixedDisk() { return MakeFixtureImage("censa/mixed-disk.sh", "censa-mixed-disk.img"); }
std::string LimitDisk() { return MakeFixtureImage("censa/fat16-limit.sh", "censa-fat16-limit.img"); }

// Names the images as the machine's disks and has the device manager scan again.
void UseDisks(const std::string& list)
{
    setenv(CDiskMap::kImagesVariable, list.c_str(), 1);
    IModule* root = OpenModuleFromFile(VESSMAR_MODULE_FILE);
    ASSERT_NE(root, nullptr);
    IVessmarModule* vessmar = root->GetInterfaceT<IVessmarModule>("IVessmarModule");
    ASSERT_NE(vessmar, nullptr);
    vessmar->Refresh(0);
}

class CensaListing : public ::testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        mixed_ = MixedDisk();
        limit_ = LimitDisk();
        ASSERT_FALSE(mixed_.empty());
        ASSERT_FALSE(limit_.empty());
        UseDisks(mixed_ + ":" + limit_);
        censa_ = CreateCensaObj();
        ASSERT_EQ(censa_->Init(), 0u);
    }
    void TearDown() override
    {
        UseDisks("");
        KSPlatformReset();
    }

    _KS_PARTITION_INFO Partition(unsigned long long disk, unsigned long long index)
    {
        _KS_PARTITION_INFO info;
        EXPECT_EQ(censa_->GetPartitionInfo(disk, index, &info, nullptr), 0u);
        return info;
    }
    // The listed entry that starts at sector, or null.
    bool FindPartition(unsigned long long disk, unsigned long long start, _KS_PARTITION_INFO& out)
    {
        unsigned long long count = 0;
        EXPECT_EQ(censa_->GetPartitionCount(disk, &count), 0u);
        for (unsigned long long i = 0; i < count; ++i) {
            out = Partition(disk, i);
            if (out.PartitionType != 0 && LoadLE64(reinterpret_cast<const unsigned char*>(&out) + 168) == start)
                return true;
        }
        return false;
    }

    std::string mixed_, limit_;
    ICensa* censa_ = nullptr;
};

TEST_F(CensaListing, DisksAreExactlyTheNamedImagesWithTheirSizesAndPaths)
{
    unsigned long long count = 0;
    ASSERT_EQ(censa_->GetDiskCount(&count), 0u);
    ASSERT_EQ(count, 2u);
    const std::vector<DiskMapEntry> map = CDiskMap().Disks();
    ASSERT_EQ(map.size(), 2u);
    const std::string images[] = {mixed_, limit_};
    for (unsigned i = 0; i < 2; ++i) {
        SCOPED_TRACE(images[i]);
        EXPECT_EQ(censa_->GetDiskPath(i), CDiskMap::DeviceName(map[i].number));
        EXPECT_EQ(map[i].path, images[i]);
        _KS_DISK_INFO info;
        std::memset(&info, 0, sizeof(info));
        ASSERT_EQ(censa_->GetDiskInfo(i, &info), 0u);
        const unsigned char* b = reinterpret_cast<const unsigned char*>(&info);
        struct stat st;
        ASSERT_EQ(stat(images[i].c_str(), &st), 0);
        EXPECT_STREQ(reinterpret_cast<const char*>(b), map[i].model.c_str());
        EXPECT_EQ(LoadLE64(b + 272), static_cast<unsigned long long>(st.st_size) / 512);
        EXPECT_EQ(LoadLE32(b + 284), 512u);
        EXPECT_GT(LoadLE64(b + 256), 0u);
        EXPECT_GT(LoadLE32(b + 264), 0u);
        EXPECT_GT(LoadLE32(b + 268), 0u);
        EXPECT_NE(LoadLE16(b + 280), 0u) << "an MBR disk is neither dynamic";
        EXPECT_NE(LoadLE16(b + 280), 1u) << "nor GPT";
        EXPECT_EQ(b[282], 0u);
        EXPECT_EQ(b[283], 0u);
    }
    EXPECT_EQ(censa_->GetDiskPath(2), "");

    UseDisks("");
    ASSERT_EQ(censa_->GetDiskCount(&count), 0u);
    EXPECT_EQ(count, 0u) << "never the machine's own disks";
}

TEST_F(CensaListing, PartitionsAgreeWithSfdiskBlkidAndTheReaders)
{
    const std::map<unsigned long long, unsigned long long> logicalOffsets = LogicalOffsets(mixed_);
    unsigned checked = 0;
    for (const SfdiskPartition& p : SfdiskPartitions(mixed_)) {
        if (p.type == 0x05)
            continue; // the extended container is no entry of its own
        SCOPED_TRACE(p.number);
        _KS_PARTITION_INFO info;
        ASSERT_TRUE(FindPartition(0, p.start, info));
        const unsigned char* b = reinterpret_cast<const unsigned char*>(&info);
        EXPECT_EQ(b[129], p.type);
        EXPECT_EQ(LoadLE64(b + 132), p.size);
        EXPECT_EQ(b[157], p.number <= 4 ? 1u : 0u);
        EXPECT_EQ(b[156] & KS_PART_FLAG_ACTIVE, p.bootable ? KS_PART_FLAG_ACTIVE : 0);
        EXPECT_EQ(b[156] & KS_PART_FLAG_HIDDEN_TYPE, p.type == 0x17 ? KS_PART_FLAG_HIDDEN_TYPE : 0);
        // Neither "cannot be locked" bit: a disk-image file never holds the running system,
        // whatever boot records and active flags its partitions have.
        EXPECT_EQ(b[156] & KS_PART_FLAG_BOOT_A, 0);
        EXPECT_EQ(b[156] & KS_PART_FLAG_BOOT_B, 0);
        EXPECT_EQ(b[156] & KS_PART_FLAG_WRITE_PROTECTED, 0) << "no volume has a letter here";
        EXPECT_EQ(b[128], 0);
        // A primary's table record is the master boot record at sector 0.
        const auto logical = logicalOffsets.find(p.start);
        EXPECT_EQ(LoadLE64(b + 180), logical != logicalOffsets.end() ? logical->second : p.start);

        const std::string type = Blkid(mixed_, p.start, "TYPE");
        const std::string version = Blkid(mixed_, p.start, "VERSION");
        const uint32_t expectedKind = type == "ntfs"          ? 3u
                                      : version == "FAT12"   ? 0u
                                      : version == "FAT16"   ? 1u
                                      : version == "FAT32"   ? 2u
                                                             : 7u;
        EXPECT_EQ(LoadLE32(b + 160), expectedKind) << type << " " << version;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(b)), Blkid(mixed_, p.start, "LABEL"));
        std::string uuid = Blkid(mixed_, p.start, "UUID");
        uuid.erase(std::remove(uuid.begin(), uuid.end(), '-'), uuid.end());
        EXPECT_EQ(LoadLE64(b + 148), std::strtoull(uuid.c_str(), nullptr, 16)) << "the serial number";
        EXPECT_EQ(LoadLE64(b + 140), ReaderUsedSectors(mixed_, p.start, p.size));
        EXPECT_GT(LoadLE64(b + 140), 0u);
        EXPECT_EQ(LoadLE32(b + 176), BootSectorSectorsPerCluster(mixed_, p.start));
        EXPECT_EQ(b[164], 0u);
        ++checked;
    }
    EXPECT_EQ(checked, 5u);
}

TEST_F(CensaListing, FreeStretchesAreEntriesWithoutTypeOrFileSystem)
{
    unsigned long long count = 0;
    ASSERT_EQ(censa_->GetPartitionCount(0, &count), 0u);
    unsigned long long covered = 0, freeEntries = 0;
    for (unsigned long long i = 0; i < count; ++i) {
        const _KS_PARTITION_INFO info = Partition(0, i);
        covered += info.SectorCount;
        if (info.PartitionType != 0)
            continue;
        ++freeEntries;
        EXPECT_EQ(info.FileSystemType, 7u);
        EXPECT_EQ(info.VolumeLabel[0], 0);
        EXPECT_EQ(info.Flags, 0u);
        EXPECT_GT(uint64_t{info.SectorCount}, 0u);
    }
    EXPECT_GE(freeEntries, 3u) << "between the primaries, inside the extended container and at the end";
    EXPECT_LE(covered, 262144u);
    _KS_PARTITION_INFO info;
    EXPECT_EQ(KSResultKind(censa_->GetPartitionInfo(0, count, &info, nullptr)), KS_ERR_NO_PARTITION);
}

TEST_F(CensaListing, Fat16AtTheLargestLengthStaysFat16AndOneSectorMoreIsOther)
{
    const std::vector<SfdiskPartition> table = SfdiskPartitions(limit_);
    ASSERT_EQ(table.size(), 2u);
    const struct {
        unsigned long long size;
        uint32_t kind;
    } cases[] = {{8386928, 1}, {8386929, 7}};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(cases[i].size);
        ASSERT_EQ(table[i].size, cases[i].size);
        EXPECT_EQ(Blkid(limit_, table[i].start, "VERSION"), "FAT16");
        _KS_PARTITION_INFO info;
        ASSERT_TRUE(FindPartition(1, table[i].start, info));
        EXPECT_EQ(uint64_t{info.SectorCount}, cases[i].size);
        EXPECT_EQ(info.FileSystemType, cases[i].kind);
    }
}

TEST_F(CensaListing, LettersComeFromTheDriveTableAndOnlyAProtectedVolumeIsMarked)
{
    const std::vector<SfdiskPartition> table = SfdiskPartitions(mixed_);
    ASSERT_GE(table.size(), 4u);
    const struct {
        char letter;
        unsigned long long start, size;
        bool writeProtected;
    } drives[] = {{'K', table[1].start, table[1].size, true}, {'L', table[3].start, table[3].size, false}};
    for (const auto& d : drives) {
        KSDriveEntry drive;
        drive.letter = d.letter;
        drive.hasVolume = true;
        drive.volume.disk = 0;
        drive.volume.firstSector = d.start;
        drive.volume.sectors = d.size;
        drive.volume.writeProtected = d.writeProtected;
        ASSERT_TRUE(KSPlatformAddDrive(drive));
    }
    const unsigned handles = KSPlatformOpenHandles();
    for (const auto& d : drives) {
        SCOPED_TRACE(d.letter);
        _KS_PARTITION_INFO info;
        ASSERT_TRUE(FindPartition(0, d.start, info));
        EXPECT_EQ(info.DriveLetter, d.letter);
        EXPECT_EQ(info.Flags & KS_PART_FLAG_WRITE_PROTECTED, d.writeProtected ? KS_PART_FLAG_WRITE_PROTECTED : 0);
    }
    _KS_PARTITION_INFO other;
    ASSERT_TRUE(FindPartition(0, table[0].start, other));
    EXPECT_EQ(other.DriveLetter, 0) << "a volume the table does not name has no letter";
    EXPECT_EQ(KSPlatformOpenHandles(), handles);
}

// Disks laid out on 63-sector tracks and on 1 MiB boundaries: every field of every
// entry as sfdisk reads the table, and the hidden sectors as the distance from the
// entry's own table record, which is what each volume's boot sector says too.
class CensaAlignedDisks : public ::testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        images_[0] = MakeFixtureImage("censa/track-aligned-disk.sh", "censa-track-aligned.img");
        images_[1] = MakeFixtureImage("censa/mib-aligned-disk.sh", "censa-mib-aligned.img");
        ASSERT_FALSE(images_[0].empty());
        ASSERT_FALSE(images_[1].empty());
        UseDisks(images_[0] + ":" + images_[1]);
        censa_ = CreateCensaObj();
        ASSERT_EQ(censa_->Init(), 0u);
    }
    void TearDown() override
    {
        UseDisks("");
        KSPlatformReset();
    }

    std::string images_[2];
    ICensa* censa_ = nullptr;
};

TEST_F(CensaAlignedDisks, EveryEntryAgreesWithSfdiskAndItsBootSector)
{
    const struct {
        unsigned disk;
        unsigned number;
        unsigned long long start, hidden;
    } cases[] = {
        {0, 1, 63, 63},          {0, 2, 385560, 385560}, {0, 5, 465948, 63},   {0, 6, 498078, 1},
        {1, 1, 2048, 2048},      {1, 2, 387072, 387072}, {1, 5, 471040, 2048}, {1, 6, 503808, 2048},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("disk " + std::to_string(c.disk) + " partition " + std::to_string(c.number));
        const std::string& image = images_[c.disk];
        const std::vector<SfdiskPartition> table = SfdiskPartitions(image);
        const auto sf = std::find_if(table.begin(), table.end(),
                                     [&](const SfdiskPartition& p) { return p.number == c.number; });
        ASSERT_NE(sf, table.end());
        ASSERT_EQ(sf->start, c.start);
        const std::map<unsigned long long, unsigned long long> offsets = LogicalOffsets(image);
        const bool primary = c.number <= 4;
        EXPECT_EQ(c.hidden, primary ? sf->start : offsets.at(sf->start)) << "the table's own records";
        EXPECT_EQ(c.hidden, BootSectorHiddenSectors(image, sf->start)) << "the volume's boot sector";

        unsigned long long count = 0;
        ASSERT_EQ(censa_->GetPartitionCount(c.disk, &count), 0u);
        bool found = false;
        for (unsigned long long i = 0; i < count && !found; ++i) {
            _KS_PARTITION_INFO info;
            unsigned long long hidden = ~0ull;
            ASSERT_EQ(censa_->GetPartitionInfo(c.disk, i, &info, &hidden), 0u);
            const unsigned char* b = reinterpret_cast<const unsigned char*>(&info);
            if (info.PartitionType == 0 || LoadLE64(b + 168) != sf->start)
                continue;
            found = true;
            EXPECT_EQ(b[129], sf->type);
            EXPECT_EQ(LoadLE64(b + 132), sf->size);
            EXPECT_EQ(b[157], primary ? 1u : 0u);
            EXPECT_EQ(b[156] & KS_PART_FLAG_ACTIVE, sf->bootable ? KS_PART_FLAG_ACTIVE : 0);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(b)), Blkid(image, sf->start, "LABEL"));
            const std::string version = Blkid(image, sf->start, "VERSION");
            EXPECT_EQ(LoadLE32(b + 160), version == "FAT12" ? 0u : version == "FAT16" ? 1u : 2u) << version;
            EXPECT_EQ(LoadLE32(b + 176), BootSectorSectorsPerCluster(image, sf->start));
            EXPECT_EQ(LoadLE64(b + 180), c.hidden) << "the record's hidden sectors";
            EXPECT_EQ(hidden, c.hidden) << "the out-argument";
        }
        EXPECT_TRUE(found);
    }
}

} // namespace
