// Vessmar.mo over disks whose partition tables are forged: it must list them as bad
// disks without handing them to a parser that trusts their figures.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include "LittleEndian.h"
#include "VessmarFixture.h"

namespace {

// A GPT disk of 16,384 sectors with one partition, made by sfdisk.
std::string MakeGptDisk(const std::string& folder)
{
    const std::string path = folder + "/gpt.img";
    const std::string script = "label: gpt\\nunit: sectors\\nstart=2048, size=4096, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7\\n";
    const std::string command = "rm -f '" + path + "' && truncate -s 8M '" + path + "' && printf '" + script +
                                "' | sfdisk --quiet --no-reread --no-tell-kernel '" + path + "' >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
}

// Sets the entry count and size of the GPT header at sector lba and gives it the
// checksum it then needs.
void ForgeHeader(const std::string& path, uint64_t lba, uint32_t count, uint32_t entryBytes)
{
    const int fd = open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    unsigned char header[512];
    ASSERT_EQ(pread(fd, header, 512, static_cast<off_t>(lba * 512)), 512);
    ASSERT_EQ(std::memcmp(header, "EFI PART", 8), 0);
    StoreLE32(header + 80, count);
    StoreLE32(header + 84, entryBytes);
    StoreLE32(header + 16, 0);
    StoreLE32(header + 16, static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), header, LoadLE32(header + 12))));
    ASSERT_EQ(pwrite(fd, header, 512, static_cast<off_t>(lba * 512)), 512);
    close(fd);
}

TEST(VessmarDamagedTables, GptHeadersClaimingEntryArraysNoDiskHasMakeABadDisk)
{
    const struct {
        const char* what;
        uint64_t lba;        // 0: no forgery
        uint32_t count, entryBytes;
        bool bad;
    } cases[] = {
        {"the header as sfdisk wrote it", 0, 0, 0, false},
        {"four billion entries", 1, 0xFFFFFFFF, 128, true},
        {"an entry array of 8 MiB", 1, 65536, 128, true},
        {"entries shorter than 128 bytes", 1, 128, 64, true},
        {"entries of 200 bytes", 1, 128, 200, true},
        {"a forged backup behind a sound primary", 16383, 0xFFFFFFFF, 128, true},
        {"more entries of 128 bytes, within bounds", 1, 256, 128, false},
    };
    char pattern[] = "/tmp/vessmar-gpt-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string disk = MakeGptDisk(folder);
        if (c.lba != 0)
            ForgeHeader(disk, c.lba, c.count, c.entryBytes);
        DiskImages images({disk});
        const std::vector<IManagerItem*> disks = Disks();
        ASSERT_EQ(disks.size(), 1u);
        IPartitionManager* partitions = PartitionsOf(disks[0]);
        ASSERT_NE(partitions, nullptr);
        EXPECT_EQ(partitions->IsBadDisk(), c.bad);
        for (IManagerItem* item : Items(partitions))
            EXPECT_EQ(EntryOf(item)->GetPartitionType(), 0u) << "GPT partitions are not listed";
    }
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
}

// Writes a DOS table entry into the record at sector lba, with the record's signature.
void PutDosEntry(const std::string& path, uint64_t lba, int slot, uint8_t type, uint32_t start, uint32_t count)
{
    const int fd = open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    unsigned char record[512];
    ASSERT_EQ(pread(fd, record, 512, static_cast<off_t>(lba * 512)), 512);
    unsigned char* entry = record + 446 + 16 * slot;
    entry[4] = type;
    StoreLE32(entry + 8, start);
    StoreLE32(entry + 12, count);
    record[510] = 0x55;
    record[511] = 0xAA;
    ASSERT_EQ(pwrite(fd, record, 512, static_cast<off_t>(lba * 512)), 512);
    close(fd);
}

TEST(VessmarDamagedTables, PartitionsAreListedOnlyAsFarAsTheDiskGoes)
{
    // Disks of 16,384 sectors whose tables reach past their end.
    struct Want {
        unsigned long long start, count;
    };
    const struct {
        const char* what;
        void (*forge)(const std::string&);
        std::vector<Want> listed;
    } cases[] = {
        {"a primary partition running past the end",
         [](const std::string& d) { PutDosEntry(d, 0, 0, 0x83, 2048, 20000); }, {{2048, 14336}}},
        {"a primary partition starting past the end",
         [](const std::string& d) {
             PutDosEntry(d, 0, 0, 0x83, 2048, 4096);
             PutDosEntry(d, 0, 1, 0x83, 20000, 100);
         },
         {{2048, 4096}}},
        {"a primary partition of no sectors",
         [](const std::string& d) {
             PutDosEntry(d, 0, 0, 0x83, 2048, 4096);
             PutDosEntry(d, 0, 1, 0x01, 0, 0);
         },
         {{2048, 4096}}},
        {"a logical partition running past the end",
         [](const std::string& d) {
             PutDosEntry(d, 0, 0, 0x05, 2048, 14336);
             PutDosEntry(d, 2048, 0, 0x83, 2048, 20000);
         },
         {{4096, 12288}}},
    };
    char pattern[] = "/tmp/vessmar-dos-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string disk = folder + "/dos.img";
        ASSERT_EQ(std::system(("rm -f '" + disk + "' && truncate -s 8M '" + disk + "'").c_str()), 0);
        c.forge(disk);
        DiskImages images({disk});
        const std::vector<IManagerItem*> disks = Disks();
        ASSERT_EQ(disks.size(), 1u);
        IPartitionManager* partitions = PartitionsOf(disks[0]);
        EXPECT_TRUE(partitions->IsBadDisk());
        std::vector<Want> listed;
        for (IManagerItem* item : Items(partitions))
            if (EntryOf(item)->GetPartitionType() != 0)
                listed.push_back({EntryOf(item)->GetStartSector(), EntryOf(item)->GetSectorCount()});
        ASSERT_EQ(listed.size(), c.listed.size());
        for (size_t i = 0; i < listed.size(); ++i) {
            EXPECT_EQ(listed[i].start, c.listed[i].start) << i;
            EXPECT_EQ(listed[i].count, c.listed[i].count) << i;
        }
    }
    std::system(("rm -rf '" + folder + "'").c_str());
}

} // namespace
