// Disk records, disk lookup by position and device paths over the scripted module.
#include <cstring>

#include "LittleEndian.h"
#include "ScriptedVessmar.h"

namespace {

TEST_F(CensaScripted, DiskRecordCarriesEveryFieldAtItsOffset)
{
    ScriptedDisk disk = OneDisk(2);
    disk.model = "Model Z";
    disk.cylinders = 0x1'0000'0002ull;
    disk.heads = 240;
    disk.sectorsPerTrack = 61;
    disk.totalSectors = 0x2'0000'0003ull;
    disk.bytesPerSector = 4096;
    disk.diskType = DISK_TYPE_GPT;
    disk.interfaceType = INTERFACE_TYPE_USB;
    disk.bad = true;
    Script().disks = {OneDisk(0), disk};

    _KS_DISK_INFO info;
    std::memset(&info, 0, sizeof(info));
    ASSERT_EQ(censa_.GetDiskInfo(1, &info), 0u);
    const unsigned char* b = Bytes(&info);
    EXPECT_STREQ(reinterpret_cast<const char*>(b), "Model Z");
    EXPECT_EQ(LoadLE64(b + 256), 0x1'0000'0002ull);
    EXPECT_EQ(LoadLE32(b + 264), 240u);
    EXPECT_EQ(LoadLE32(b + 268), 61u);
    EXPECT_EQ(LoadLE64(b + 272), 0x2'0000'0003ull);
    EXPECT_EQ(LoadLE16(b + 280), 1u);
    EXPECT_EQ(b[282], 1u) << "bad disk";
    EXPECT_EQ(b[283], 0u) << "a GPT disk is not dynamic";
    EXPECT_EQ(LoadLE32(b + 284), 4096u);
    EXPECT_EQ(LoadLE32(b + 288), 7u);

    Script().disks[1].diskType = DISK_TYPE_DYNAMIC;
    Script().disks[1].bad = false;
    std::memset(&info, 0, sizeof(info));
    ASSERT_EQ(censa_.GetDiskInfo(1, &info), 0u);
    EXPECT_EQ(LoadLE16(Bytes(&info) + 280), 0u);
    EXPECT_EQ(Bytes(&info)[282], 0u);
    EXPECT_EQ(Bytes(&info)[283], 1u) << "kind 0 is dynamic";
}

TEST_F(CensaScripted, ModelTextIsBoundedAndAlwaysTerminated)
{
    const struct {
        std::string model;
        bool null;
        std::string expected;
    } cases[] = {
        {std::string(300, 'm'), false, std::string(255, 'm')},
        {std::string(255, 'n'), false, std::string(255, 'n')},
        {"", false, ""},
        {"", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model.size());
        ScriptedDisk disk = OneDisk();
        disk.model = c.model;
        disk.nullModel = c.null;
        Script().disks = {disk};
        _KS_DISK_INFO info;
        std::memset(&info, 0x5A, sizeof(info));
        ASSERT_EQ(censa_.GetDiskInfo(0, &info), 0u);
        EXPECT_EQ(std::string(info.ModelName), c.expected);
        EXPECT_EQ(info.ModelName[c.expected.size()], '\0');
    }
}

// Which operations find the disk, for each way a disk can be missing.
TEST_F(CensaScripted, DiskLookupFailsForMissingPositionsAndIncompleteItems)
{
    const struct {
        const char* what;
        unsigned long long index;
        void (*change)(ScriptedDisk&);
        bool infoFinds, countFinds, pathFinds;
    } cases[] = {
        {"present", 0, [](ScriptedDisk&) {}, true, true, true},
        {"past the end", 1, [](ScriptedDisk&) {}, false, false, false},
        {"high half set", 1ull << 32, [](ScriptedDisk&) {}, false, false, false},
        {"256 and up", 256, [](ScriptedDisk&) {}, false, false, false},
        {"no disk entry", 0, [](ScriptedDisk& d) { d.entry = false; }, false, true, false},
        {"no geometry", 0, [](ScriptedDisk& d) { d.geometry = false; }, false, true, true},
        {"no device type", 0, [](ScriptedDisk& d) { d.deviceType = false; }, false, true, true},
        {"no partition manager", 0, [](ScriptedDisk& d) { d.partitionManager = false; }, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedDisk disk = OneDisk();
        c.change(disk);
        Script().disks = {disk};

        _KS_DISK_INFO info;
        std::memset(&info, 0x77, sizeof(info));
        const unsigned long infoResult = censa_.GetDiskInfo(c.index, &info);
        if (c.infoFinds) {
            EXPECT_EQ(infoResult, 0u);
        } else {
            EXPECT_TRUE(IsCensaKind(infoResult, KS_ERR_NO_DISK));
            EXPECT_EQ(Bytes(&info)[0], 0x77u) << "a disk not found leaves the record as it was";
        }
        unsigned long long count = 99;
        const unsigned long countResult = censa_.GetPartitionCount(c.index, &count);
        if (c.countFinds) {
            EXPECT_EQ(countResult, 0u);
            EXPECT_EQ(count, 1u);
        } else {
            EXPECT_TRUE(IsCensaKind(countResult, KS_ERR_NO_DISK));
        }
        _KS_PARTITION_INFO partition;
        const unsigned long partitionResult = censa_.GetPartitionInfo(c.index, 0, &partition, nullptr);
        if (c.countFinds)
            EXPECT_EQ(partitionResult, 0u);
        else
            EXPECT_TRUE(IsCensaKind(partitionResult, KS_ERR_NO_DISK));
        EXPECT_EQ(censa_.GetDiskPath(c.index), c.pathFinds ? "\\\\.\\PhysicalDrive0" : "");
    }
}

TEST_F(CensaScripted, PositionsCountWithAnEightBitCounterSoOnlyTheFirst256DisksAreFound)
{
    for (unsigned i = 0; i < 300; ++i)
        Script().disks.push_back(OneDisk(i));
    unsigned long long count = 0;
    ASSERT_EQ(censa_.GetDiskCount(&count), 0u);
    EXPECT_EQ(count, 300u);
    _KS_DISK_INFO info{};
    ASSERT_EQ(censa_.GetDiskInfo(255, &info), 0u);
    EXPECT_STREQ(info.ModelName, "Scripted disk 255");
    EXPECT_EQ(censa_.GetDiskPath(7), "\\\\.\\PhysicalDrive7");
    for (unsigned long long index : {256ull, 299ull, (1ull << 32) + 5}) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(IsCensaKind(censa_.GetDiskInfo(index, &info), KS_ERR_NO_DISK));
        EXPECT_EQ(censa_.GetDiskPath(index), "");
    }
}

} // namespace
