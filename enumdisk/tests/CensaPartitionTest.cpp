// Partition records over the scripted module: every field, the flag bits, texts and
// the FAT16 size rule.
#include <cstring>

#include "LittleEndian.h"
#include "ScriptedVessmar.h"

namespace {

_KS_PARTITION_INFO PartitionOf(CCensa& censa, const FakePartitionSpec& spec, unsigned diskType = DISK_TYPE_BASIC)
{
    FakeDiskSpec disk = OneDisk();
    disk.diskType = diskType;
    disk.partitions = {FakePartitionSpec(), spec};
    Script().disks = {disk};
    _KS_PARTITION_INFO info;
    std::memset(&info, 0xFF, sizeof(info)); // whatever the record held before
    EXPECT_EQ(censa.GetPartitionInfo(0, 1, &info, nullptr), 0u);
    return info;
}

TEST_F(CensaScripted, PartitionRecordCarriesEveryFieldAtItsOffset)
{
    FakePartitionSpec spec;
    spec.start = 0x1'0000'0010ull;
    spec.count = 0x2'0000'0020ull;
    spec.hidden = 0x3'0000'0030ull;
    spec.primary = false;
    spec.type = 0x07;
    spec.label = "DATA";
    spec.fileSystemType = FILE_SYSTEM_NTFS;
    spec.serial = 0x0123456789ABCDEFull;
    spec.used = 0x4'0000'0040ull;
    spec.sectorsPerCluster = 8;
    FakeDiskSpec disk = OneDisk();
    disk.diskType = DISK_TYPE_DYNAMIC;
    disk.partitions = {FakePartitionSpec(), spec};
    Script().disks = {disk};

    _KS_PARTITION_INFO info;
    unsigned long long hidden = 0;
    ASSERT_EQ(censa_.GetPartitionInfo(0, 1, &info, &hidden), 0u);
    EXPECT_EQ(hidden, 0x3'0000'0030ull);
    const unsigned char* b = Bytes(&info);
    ASSERT_EQ(sizeof(info), 188u) << "the console's layout";
    EXPECT_STREQ(reinterpret_cast<const char*>(b), "DATA");
    EXPECT_EQ(b[128], 0) << "no letter";
    EXPECT_EQ(b[129], 0x07u);
    EXPECT_EQ(LoadLE64(b + 132), 0x2'0000'0020ull);
    EXPECT_EQ(LoadLE64(b + 140), 0x4'0000'0040ull);
    EXPECT_EQ(LoadLE64(b + 148), 0x0123456789ABCDEFull);
    EXPECT_EQ(b[156], 0u);
    EXPECT_EQ(b[157], 0u) << "logical";
    EXPECT_EQ(LoadLE32(b + 160), 3u);
    EXPECT_EQ(b[164], 1u) << "on a dynamic disk";
    EXPECT_EQ(LoadLE64(b + 168), 0x1'0000'0010ull);
    EXPECT_EQ(LoadLE32(b + 176), 8u);
    EXPECT_EQ(LoadLE64(b + 180), 0x3'0000'0030ull);
    // Between the fields nothing but zero.
    for (size_t i : {130u, 131u, 158u, 159u, 165u, 166u, 167u})
        EXPECT_EQ(b[i], 0u) << i;
}

TEST_F(CensaScripted, FlagBitsComeFromEntryBootInformationAndTypeId)
{
    const struct {
        const char* what;
        void (*change)(FakePartitionSpec&);
        uint8_t flags;
    } cases[] = {
        {"plain", [](FakePartitionSpec&) {}, 0},
        {"active", [](FakePartitionSpec& p) { p.active = true; }, KS_PART_FLAG_ACTIVE},
        {"boot record", [](FakePartitionSpec& p) { p.hasBootRecord = true; }, KS_PART_FLAG_BOOT_A},
        {"system partition", [](FakePartitionSpec& p) { p.systemPartition = true; }, KS_PART_FLAG_BOOT_B},
        {"boot answers without the interface",
         [](FakePartitionSpec& p) { p.hasBootRecord = p.systemPartition = true; p.bootInfo = false; }, 0},
        {"type 0x11", [](FakePartitionSpec& p) { p.type = 0x11; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x14", [](FakePartitionSpec& p) { p.type = 0x14; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x16", [](FakePartitionSpec& p) { p.type = 0x16; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x17", [](FakePartitionSpec& p) { p.type = 0x17; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x1B", [](FakePartitionSpec& p) { p.type = 0x1B; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x1C", [](FakePartitionSpec& p) { p.type = 0x1C; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x1E", [](FakePartitionSpec& p) { p.type = 0x1E; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x12", [](FakePartitionSpec& p) { p.type = 0x12; }, 0},
        {"type 0x07", [](FakePartitionSpec& p) { p.type = 0x07; }, 0},
        {"everything",
         [](FakePartitionSpec& p) { p.active = p.hasBootRecord = p.systemPartition = true; p.type = 0x1C; },
         KS_PART_FLAG_ACTIVE | KS_PART_FLAG_BOOT_A | KS_PART_FLAG_BOOT_B | KS_PART_FLAG_HIDDEN_TYPE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePartitionSpec spec;
        c.change(spec);
        EXPECT_EQ(PartitionOf(censa_, spec).Flags, c.flags);
    }
}

TEST_F(CensaScripted, FileSystemFieldsAndTheirAbsence)
{
    const struct {
        const char* what;
        void (*change)(FakePartitionSpec&);
        std::string label;
        uint32_t type;
        uint64_t value, used;
        uint32_t perCluster;
    } cases[] = {
        {"full", [](FakePartitionSpec&) {}, "LABEL", FILE_SYSTEM_FAT16, 0x1234ABCD, 100, 4},
        {"long label", [](FakePartitionSpec& p) { p.label = std::string(200, 'L'); }, std::string(127, 'L'),
         FILE_SYSTEM_FAT16, 0x1234ABCD, 100, 4},
        {"empty label", [](FakePartitionSpec& p) { p.label = ""; }, "", FILE_SYSTEM_FAT16, 0x1234ABCD, 100, 4},
        {"null label", [](FakePartitionSpec& p) { p.nullLabel = true; }, "", FILE_SYSTEM_FAT16, 0x1234ABCD, 100, 4},
        {"no file system", [](FakePartitionSpec& p) { p.fileSystem = false; }, "", FILE_SYSTEM_OTHER, 0, 100, 4},
        {"no figures", [](FakePartitionSpec& p) { p.extendInfo = false; }, "LABEL", FILE_SYSTEM_FAT16, 0x1234ABCD, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePartitionSpec spec;
        c.change(spec);
        const _KS_PARTITION_INFO info = PartitionOf(censa_, spec);
        EXPECT_EQ(std::string(info.VolumeLabel), c.label);
        for (size_t i = c.label.size(); i < sizeof(info.VolumeLabel); ++i)
            ASSERT_EQ(info.VolumeLabel[i], 0) << "label byte " << i;
        EXPECT_EQ(info.FileSystemType, c.type);
        EXPECT_EQ(uint64_t{info.FileSystemValue}, c.value);
        EXPECT_EQ(uint64_t{info.UsedSectors}, c.used);
        EXPECT_EQ(info.SectorsPerCluster, c.perCluster);
    }
}

TEST_F(CensaScripted, Fat16AboveTheLargestSizeIsReportedAsOther)
{
    const struct {
        enumFILE_SYSTEM_TYPE type;
        unsigned long long count;
        uint32_t reported;
    } cases[] = {
        {FILE_SYSTEM_FAT16, 8386928, FILE_SYSTEM_FAT16},
        {FILE_SYSTEM_FAT16, 8386929, FILE_SYSTEM_OTHER},
        {FILE_SYSTEM_FAT32, 8386929, FILE_SYSTEM_FAT32},
        // The comparison is signed: a length that reads as negative is not "above".
        {FILE_SYSTEM_FAT16, 0x8000'0000'0000'0000ull, FILE_SYSTEM_FAT16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        FakePartitionSpec spec;
        spec.fileSystemType = c.type;
        spec.count = c.count;
        EXPECT_EQ(PartitionOf(censa_, spec).FileSystemType, c.reported);
    }
}

TEST_F(CensaScripted, MissingPartitionLeavesTheRecordAllZero)
{
    FakePartitionSpec noEntry;
    noEntry.entry = false;
    FakeDiskSpec disk = OneDisk();
    disk.partitions = {FakePartitionSpec(), noEntry};
    Script().disks = {disk};
    for (unsigned long long index : {1ull, 2ull, 256ull, 1ull << 32}) {
        SCOPED_TRACE(index);
        _KS_PARTITION_INFO info;
        std::memset(&info, 0xAB, sizeof(info));
        unsigned long long hidden = 77;
        EXPECT_TRUE(IsCensaKind(censa_.GetPartitionInfo(0, index, &info, &hidden), KS_ERR_NO_PARTITION));
        for (size_t i = 0; i < sizeof(info); ++i)
            ASSERT_EQ(Bytes(&info)[i], 0u) << i;
        EXPECT_EQ(hidden, 77u);
    }
}

} // namespace
