// Vessmar.mo's disk kind over sfdisk-made tables: a DOS table with an entry of type
// 0x42 belongs to a dynamic volume set, whatever else the table holds.
#include <cstdlib>
#include <gtest/gtest.h>

#include "VessmarFixture.h"
#include "vessmar/IDiskDeviceType.h"

namespace {

// An 8 MiB image partitioned by sfdisk with the given script.
std::string MakeTypedDisk(const std::string& folder, const char* script)
{
    const std::string path = folder + "/typed.img";
    const std::string command = "rm -f '" + path + "' && truncate -s 8M '" + path + "' && printf '" + script +
                                "' | sfdisk --quiet --no-reread --no-tell-kernel '" + path + "' >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
}

} // namespace

TEST(VessmarDiskType, AnEntryOfTheDynamicSetTypeMakesTheDiskDynamic)
{
    const struct {
        const char* what;
        const char* script;
        unsigned kind;
    } cases[] = {
        {"one primary entry of type 0x42", "label: dos\\nunit: sectors\\nstart=2048, size=8192, type=42\\n",
         DISK_TYPE_DYNAMIC},
        {"0x42 behind a basic primary",
         "label: dos\\nunit: sectors\\nstart=2048, size=4096, type=7\\nstart=6144, size=4096, type=42\\n",
         DISK_TYPE_DYNAMIC},
        {"0x42 as a logical partition",
         "label: dos\\nunit: sectors\\nstart=2048, size=12288, type=5\\nstart=4096, size=4096, type=42\\n",
         DISK_TYPE_DYNAMIC},
        {"basic primaries only",
         "label: dos\\nunit: sectors\\nstart=2048, size=4096, type=7\\nstart=6144, size=4096, type=6\\n",
         DISK_TYPE_BASIC},
        {"a GPT disk", "label: gpt\\nunit: sectors\\nstart=2048, size=4096, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7\\n",
         DISK_TYPE_GPT},
    };
    char pattern[] = "/tmp/vessmar-kind-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DiskImages images({MakeTypedDisk(folder, c.script), "blank:1"});
        const std::vector<IManagerItem*> disks = Disks();
        ASSERT_EQ(disks.size(), 2u);
        EXPECT_EQ(As<IDiskDeviceType>(disks[0])->GetDiskType(), c.kind);
        EXPECT_EQ(As<IDiskDeviceType>(disks[1])->GetDiskType(), static_cast<unsigned>(DISK_TYPE_BASIC))
            << "a disk without a table stays basic";
    }
    std::system(("rm -rf '" + folder + "'").c_str());
}
