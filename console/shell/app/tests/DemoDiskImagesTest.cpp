// The demo disks the console is started over (by hand and in the screenshot test):
// the same bytes on every run, sparse and small on disk, and laid out as described
// in their scripts.
#include "LittleEndian.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct PartitionEntry {
    uint8_t type;
    uint32_t start;
    uint32_t sectors;
};

struct DemoDisk {
    const char* script;
    uint64_t bytes;
    std::vector<PartitionEntry> partitions;
    std::vector<std::string> oemIds; // the boot sector's name field of each volume
};

std::vector<char> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DemoDiskImages : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/rvd-demo-XXXXXX";
        ASSERT_NE(g_mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override
    {
        if (!dir_.empty())
            std::system(("rm -rf '" + dir_ + "'").c_str());
    }

    // Runs a demo script into a new file of the temporary folder; empty on failure.
    std::string Make(const char* script, const std::string& name)
    {
        const std::string out = dir_ + "/" + name;
        const std::string cmd = "bash '" + std::string(RVD_FIXTURE_SCRIPTS) + "/demo/" + script + "' '" + out +
                                "' >'" + out + ".log' 2>&1";
        if (std::system(cmd.c_str()) != 0) {
            const std::vector<char> log = ReadAll(out + ".log");
            ADD_FAILURE() << script << " failed:\n" << std::string(log.begin(), log.end());
            return std::string();
        }
        return out;
    }

    std::string dir_;
};

TEST_F(DemoDiskImages, SameBytesEveryRunSparseAndLaidOutAsScripted)
{
    const DemoDisk disks[] = {
        {"demo-disk-0.sh",
         96ull << 20,
         {{0x0C, 2048, 40 * 2048}, {0x07, 2048 + 40 * 2048, 48 * 2048}},
         {"mkfs.fat", "NTFS    "}},
        {"demo-disk-1.sh", 64ull << 20, {{0x06, 2048, 16 * 2048}}, {"mkfs.fat"}},
    };
    for (const DemoDisk& disk : disks) {
        SCOPED_TRACE(disk.script);
        const std::string first = Make(disk.script, "first.img");
        // A second later, so that anything taken from the clock would differ.
        g_usleep(1100 * 1000);
        const std::string second = Make(disk.script, "second.img");
        ASSERT_FALSE(first.empty());
        ASSERT_FALSE(second.empty());

        const std::vector<char> bytes = ReadAll(first);
        ASSERT_EQ(bytes.size(), disk.bytes);
        EXPECT_TRUE(bytes == ReadAll(second)) << "two runs made different images";

        struct stat st;
        ASSERT_EQ(stat(first.c_str(), &st), 0);
        EXPECT_LT(static_cast<uint64_t>(st.st_blocks) * 512, 8ull << 20) << "the image is not sparse";

        const unsigned char* mbr = reinterpret_cast<const unsigned char*>(bytes.data());
        EXPECT_EQ(LoadLE16(mbr + 510), 0xAA55);
        for (size_t i = 0; i < 4; ++i) {
            const unsigned char* entry = mbr + 446 + 16 * i;
            if (i >= disk.partitions.size()) {
                EXPECT_EQ(entry[4], 0) << "entry " << i;
                continue;
            }
            const PartitionEntry& want = disk.partitions[i];
            EXPECT_EQ(entry[4], want.type) << "entry " << i;
            EXPECT_EQ(LoadLE32(entry + 8), want.start) << "entry " << i;
            EXPECT_EQ(LoadLE32(entry + 12), want.sectors) << "entry " << i;
            const size_t boot = static_cast<size_t>(want.start) * 512;
            ASSERT_LT(boot + 512, bytes.size());
            EXPECT_EQ(std::string(bytes.data() + boot + 3, 8), disk.oemIds[i]) << "entry " << i;
        }
        std::remove(first.c_str());
        std::remove(second.c_str());
    }
}

} // namespace
