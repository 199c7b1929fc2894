// Partition records over the scripted module: every field, the flag bits, texts and
// the FAT16 size rule.
#include <cstring>

#include "LittleEndian.h"
#include "ScriptedVessmar.h"

namespace {

_KS_PARTITION_INFO PartitionOf(CCensa& censa, const ScriptedPartition& plan, unsigned diskType = DISK_TYPE_BASIC)
{
    ScriptedDisk disk = OneDisk();
    disk.diskType = diskType;
    disk.partitions = {ScriptedPartition(), plan};
    Script().disks = {disk};
    _KS_PARTITION_INFO info;
    std::memset(&info, 0xFF, sizeof(info)); // whatever the record held before
    EXPECT_EQ(censa.GetPartitionInfo(0, 1, &info, nullptr), 0u);
    return info;
}

TEST_F(CensaScripted, PartitionRecordCarriesEveryFieldAtItsOffset)
{
    ScriptedPartition plan;
    plan.start = 0x1'0000'0010ull;
    plan.count = 0x2'0000'0020ull;
    plan.hidden = 0x3'0000'0030ull;
    plan.primary = false;
    plan.type = 0x07;
    plan.label = "DATA";
    plan.fileSystemType = FILE_SYSTEM_NTFS;
    plan.serial = 0x0123456789ABCDEFull;
    plan.used = 0x4'0000'0040ull;
    plan.sectorsPerCluster = 8;
    ScriptedDisk disk = OneDisk();
    disk.diskType = DISK_TYPE_DYNAMIC;
    disk.partitions = {ScriptedPartition(), plan};
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
        void (*change)(ScriptedPartition&);
        uint8_t flags;
    } cases[] = {
        {"plain", [](ScriptedPartition&) {}, 0},
        {"active", [](ScriptedPartition& p) { p.active = true; }, KS_PART_FLAG_ACTIVE},
        {"boot record", [](ScriptedPartition& p) { p.hasBootRecord = true; }, KS_PART_FLAG_BOOT_A},
        {"system partition", [](ScriptedPartition& p) { p.systemPartition = true; }, KS_PART_FLAG_BOOT_B},
        {"boot answers without the interface",
         [](ScriptedPartition& p) { p.hasBootRecord = p.systemPartition = true; p.bootInfo = false; }, 0},
        {"type 0x11", [](ScriptedPartition& p) { p.type = 0x11; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x14", [](ScriptedPartition& p) { p.type = 0x14; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x16", [](ScriptedPartition& p) { p.type = 0x16; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x17", [](ScriptedPartition& p) { p.type = 0x17; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x1B", [](ScriptedPartition& p) { p.type = 0x1B; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x1C", [](ScriptedPartition& p) { p.type = 0x1C; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x1E", [](ScriptedPartition& p) { p.type = 0x1E; }, KS_PART_FLAG_HIDDEN_TYPE},
        {"type 0x12", [](ScriptedPartition& p) { p.type = 0x12; }, 0},
        {"type 0x07", [](ScriptedPartition& p) { p.type = 0x07; }, 0},
        {"everything",
         [](ScriptedPartition& p) { p.active = p.hasBootRecord = p.systemPartition = true; p.type = 0x1C; },
         KS_PART_FLAG_ACTIVE | KS_PART_FLAG_BOOT_A | KS_PART_FLAG_BOOT_B | KS_PART_FLAG_HIDDEN_TYPE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPartition plan;
        c.change(plan);
        EXPECT_EQ(PartitionOf(censa_, plan).Flags, c.flags);
    }
}

TEST_F(CensaScripted, FileSystemFieldsAndTheirAbsence)
{
    const struct {
        const char* what;
        void (*change)(ScriptedPartition&);
        std::string label;
        uint32_t type;
        uint64_t value, used;
        uint32_t perCluster;
    } cases[] = {
        {"full", [](ScriptedPartition&) {}, "LABEL", FILE_SYSTEM_FAT16, 0x1234ABCD, 100, 4},
        {"long label", [](ScriptedPartition& p) { p.label = std::string(200, 'L'); }, std::string(127, 'L'),
         FILE_SYSTEM_FAT16, 0x1234ABCD, 100, 4},
        {"empty label", [](ScriptedPartition& p) { p.label = ""; }, "", FILE_SYSTEM_FAT16, 0x1234ABCD, 100, 4},
        {"null label", [](ScriptedPartition& p) { p.nullLabel = true; }, "", FILE_SYSTEM_FAT16, 0x1234ABCD, 100, 4},
        {"no file system", [](ScriptedPartition& p) { p.fileSystem = false; }, "", FILE_SYSTEM_OTHER, 0, 100, 4},
        {"no figures", [](ScriptedPartition& p) { p.extendInfo = false; }, "LABEL", FILE_SYSTEM_FAT16, 0x1234ABCD, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPartition plan;
        c.change(plan);
        const _KS_PARTITION_INFO info = PartitionOf(censa_, plan);
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
        ScriptedPartition plan;
        plan.fileSystemType = c.type;
        plan.count = c.count;
        EXPECT_EQ(PartitionOf(censa_, plan).FileSystemType, c.reported);
    }
}

TEST_F(CensaScripted, MissingPartitionLeavesTheRecordAllZero)
{
    ScriptedPartition noEntry;
    noEntry.entry = false;
    ScriptedDisk disk = OneDisk();
    disk.partitions = {ScriptedPartition(), noEntry};
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
