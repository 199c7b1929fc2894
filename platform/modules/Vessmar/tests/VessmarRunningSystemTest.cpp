// The boot answers of a partition say whether the running machine works from it (its
// "/" or its "/boot"), read from the mount table and /sys/block under the recovery
// environment's root. A formatted partition is not locked for having a boot sector,
// and a disk-image file named in the disk map never is.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "CDiskMap.h"
#include "VessmarFixture.h"
#include "vessmar/IPartitionBootInfo.h"

namespace {

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

// A root whose sys/block and dev show the layout fixture as the machine's disk sda,
// with the kernel's numbers of its partitions, and whose mount table is given.
class MachineRoot {
public:
    explicit MachineRoot(const std::string& mountinfo)
    {
        char pattern[] = "/tmp/vessmar-root-XXXXXX";
        root_ = mkdtemp(pattern);
        const std::string disk = root_ + "/sda.img";
        const std::string block = root_ + "/sys/block/sda";
        EXPECT_EQ(0, std::system(("mkdir -p '" + block + "/device' '" + root_ + "/dev' '" + root_ +
                                  "/proc/self' && cp --sparse=always '" + LayoutFixture() + "' '" + disk +
                                  "' && ln -s '" + disk + "' '" + root_ + "/dev/sda'")
                                     .c_str()));
        WriteFile(block + "/size", "204800\n");
        WriteFile(block + "/device/model", "Test disk\n");
        const std::map<int, unsigned> starts = {{1, 63}, {2, 32130}, {3, 128520}, {5, 32193}, {6, 80388}};
        for (const auto& [number, start] : starts) {
            const std::string part = block + "/sda" + std::to_string(number);
            EXPECT_EQ(0, std::system(("mkdir -p '" + part + "'").c_str()));
            WriteFile(part + "/start", std::to_string(start) + "\n");
            WriteFile(part + "/dev", "8:" + std::to_string(number) + "\n");
        }
        WriteFile(root_ + "/proc/self/mountinfo", mountinfo);
        setenv(CDiskMap::kRootVariable, root_.c_str(), 1);
    }
    ~MachineRoot()
    {
        unsetenv(CDiskMap::kRootVariable);
        std::system(("rm -rf '" + root_ + "'").c_str());
    }
    std::string DiskImage() const { return root_ + "/sda.img"; }

private:
    std::string root_;
};

struct Role {
    bool system;
    bool bootFiles;
};

// Each partition's answers by its first sector. (The fixture's Disks() would name an
// empty list of disk images when none is named, which the machine's disks need.)
std::map<unsigned long long, Role> RolesOfFirstDisk(IVessmarModule* module)
{
    std::map<unsigned long long, Role> roles;
    const std::vector<IManagerItem*> disks = Items(module->GetManager());
    EXPECT_EQ(1u, disks.size());
    if (disks.empty())
        return roles;
    for (IManagerItem* item : Items(PartitionsOf(disks[0]))) {
        IPartitionBootInfo* boot = As<IPartitionBootInfo>(item);
        if (boot != nullptr)
            roles[EntryOf(item)->GetStartSector()] = Role{boot->HasBootRecord(), boot->IsSystemPartition()};
    }
    return roles;
}

} // namespace

TEST(VessmarRunningSystem, OnlyThePartitionsMountedAtRootOrBootAreTheRunningSystems)
{
    const std::string root = "22 1 8:1 / / rw,relatime shared:1 - vfat /dev/sda1 rw\n";
    const std::string proc = "23 22 0:21 / /proc rw shared:12 - proc proc rw\n";
    const struct Case {
        const char* what;
        std::string mountinfo;
        std::map<unsigned long long, Role> locked; // every other partition answers no twice
    } cases[] = {
        {"/ alone, found by its device numbers", proc + root, {{63, {true, true}}}},
        {"/ and /boot apart, by device numbers and by source name",
         "22 1 0:31 / / rw shared:1 - btrfs /dev/sda5 rw\n" + proc +
             "24 22 8:6 / /boot rw,relatime shared:2 - ntfs3 /dev/sdz9 rw\n",
         {{32193, {true, false}}, {80388, {false, true}}}},
        {"a mount point written with escapes", "22 1 8:3 / / rw - ext4 /dev/sda3 rw\n"
                                               "25 22 8:1 / /boo\\164 rw - vfat /dev/sda1 rw\n",
         {{128520, {true, false}}, {63, {false, true}}}},
        {"/ on a device of another disk", "22 1 253:0 / / rw - ext4 /dev/mapper/vg-root rw\n" + proc, {}},
        {"no mount table", "", {}},
    };
    IVessmarModule* module = Vessmar();
    ASSERT_NE(nullptr, module);
    const std::string images = std::getenv(CDiskMap::kImagesVariable);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MachineRoot machine(c.mountinfo);
        unsetenv(CDiskMap::kImagesVariable);
        module->Refresh(0);
        const std::map<unsigned long long, Role> roles = RolesOfFirstDisk(module);
        EXPECT_EQ(4u, roles.size()) << "the layout fixture's four partitions";
        for (const auto& [start, role] : roles) {
            SCOPED_TRACE(start);
            const auto wanted = c.locked.find(start);
            const Role expected = wanted != c.locked.end() ? wanted->second : Role{false, false};
            EXPECT_EQ(expected.system, role.system);
            EXPECT_EQ(expected.bootFiles, role.bootFiles);
        }
        // The same disk named as a disk-image file is never the running system.
        setenv(CDiskMap::kImagesVariable, machine.DiskImage().c_str(), 1);
        module->Refresh(0);
        const std::map<unsigned long long, Role> asImage = RolesOfFirstDisk(module);
        EXPECT_EQ(4u, asImage.size());
        for (const auto& [start, role] : asImage) {
            SCOPED_TRACE(start);
            EXPECT_FALSE(role.system);
            EXPECT_FALSE(role.bootFiles);
        }
    }
    setenv(CDiskMap::kImagesVariable, images.c_str(), 1);
    module->Refresh(0);
}
