// The disk map over image files named in the environment, and over a made-up
// /sys/block tree. Nothing here looks at the machine's own disks.
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "CDiskMap.h"

namespace {

class TempFolder {
public:
    TempFolder()
    {
        char pattern[] = "/tmp/diskmap-test-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string File(const std::string& name, size_t bytes) const
    {
        const std::string file = path + "/" + name;
        std::ofstream(file) << std::string(bytes, '\0');
        return file;
    }
    void Write(const std::string& relative, const std::string& text) const
    {
        const std::string file = path + "/" + relative;
        std::system(("mkdir -p '" + file.substr(0, file.rfind('/')) + "'").c_str());
        std::ofstream(file) << text;
    }
    std::string path;
};

// Sets the image list for one test and puts the old value back afterwards.
class ImageList {
public:
    explicit ImageList(const char* value)
    {
        const char* old = std::getenv(CDiskMap::kImagesVariable);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        if (value != nullptr)
            setenv(CDiskMap::kImagesVariable, value, 1);
        else
            unsetenv(CDiskMap::kImagesVariable);
    }
    ~ImageList()
    {
        if (had_)
            setenv(CDiskMap::kImagesVariable, old_.c_str(), 1);
        else
            unsetenv(CDiskMap::kImagesVariable);
    }

private:
    bool had_ = false;
    std::string old_;
};

} // namespace

TEST(DiskMap, ListsExactlyTheNamedImageFilesInOrder)
{
    TempFolder dir;
    const std::string a = dir.File("a.img", 4096);
    const std::string b = dir.File("b.img", 1024 * 1024 + 100);
    // A missing name, a folder and a device node are disks that are not there: each
    // keeps its number and is not listed. An empty item names nothing.
    ImageList images((b + ":" + dir.path + "/missing.img::" + dir.path + ":/dev/null:" + a).c_str());
    unsigned numbers = 0;
    const std::vector<DiskMapEntry> disks = CDiskMap(dir.path + "/no-sys").Disks(numbers);
    EXPECT_EQ(numbers, 5u);
    ASSERT_EQ(disks.size(), 2u);
    EXPECT_EQ(disks[0].path, b);
    EXPECT_EQ(disks[0].sectors, 2048u) << "a partial last sector is not counted";
    EXPECT_EQ(disks[0].number, 0u);
    EXPECT_TRUE(disks[0].imageFile);
    EXPECT_EQ(disks[0].model, "Disk image b.img");
    EXPECT_EQ(disks[1].path, a);
    EXPECT_EQ(disks[1].sectors, 8u);
    EXPECT_EQ(disks[1].number, 4u);
}

TEST(DiskMap, AMissingImageKeepsItsNumberAndTheOthersKeepTheirs)
{
    TempFolder dir;
    const std::string first = dir.File("first.img", 4096);
    const std::string victim = dir.File("victim.img", 8192);
    const std::string last = dir.File("last.img", 512);
    ImageList images((first + ":" + dir.path + "/gone.img:" + victim + ":" + last + ":" + dir.path + "/gone2.img")
                         .c_str());
    CDiskMap map(dir.path + "/no-sys");
    unsigned numbers = 0;
    const std::vector<DiskMapEntry> disks = map.Disks(numbers);
    EXPECT_EQ(numbers, 5u) << "a missing last entry takes its number too";
    const struct {
        unsigned number;
        bool found;
        std::string path;
    } cases[] = {{0, true, first}, {1, false, ""}, {2, true, victim}, {3, true, last}, {4, false, ""}, {5, false, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        DiskMapEntry disk;
        ASSERT_EQ(map.FindByDeviceName(CDiskMap::DeviceName(c.number), disk), c.found);
        if (c.found) {
            EXPECT_EQ(disk.path, c.path);
            EXPECT_EQ(disk.number, c.number);
        }
    }
    ASSERT_EQ(disks.size(), 3u);
    EXPECT_EQ(disks[1].number, 2u);
    EXPECT_EQ(disks[1].path, victim);
}

TEST(DiskMap, AnEmptyListMeansNoDisksEvenWhereTheMachineHasSome)
{
    TempFolder dir;
    dir.Write("sys/sda/size", "2048\n");
    dir.Write("sys/sda/device/model", "Real disk\n");
    ImageList images("");
    EXPECT_TRUE(CDiskMap(dir.path + "/sys", dir.path + "/dev").Disks().empty());
}

TEST(DiskMap, MachineDisksFromTheBlockFolder)
{
    TempFolder dir;
    dir.Write("sys/sdb/size", "4096\n");
    dir.Write("sys/sdb/device/model", "SECOND DISK     \n");
    dir.Write("sys/sda/size", "2048\n");
    dir.Write("sys/sda/device/model", "FIRST DISK\n");
    dir.Write("sys/nvme0n1/size", "8192\n");
    dir.Write("sys/nvme0n1/device/dummy", "");
    dir.Write("sys/sdc/size", "0\n"); // reader without a card
    dir.Write("sys/sdc/device/model", "CARD READER\n");
    dir.Write("sys/loop0/size", "100\n");
    dir.Write("sys/loop0/device/x", "");
    dir.Write("sys/sr0/size", "100\n");
    dir.Write("sys/sr0/device/model", "DVD\n");
    dir.Write("sys/dm-0/size", "100\n"); // no device behind it either
    ImageList images(nullptr);
    const std::vector<DiskMapEntry> disks = CDiskMap(dir.path + "/sys", "/devices").Disks();
    ASSERT_EQ(disks.size(), 3u);
    EXPECT_EQ(disks[0].path, "/devices/sda");
    EXPECT_EQ(disks[0].model, "FIRST DISK");
    EXPECT_EQ(disks[0].sectors, 2048u);
    EXPECT_EQ(disks[1].path, "/devices/sdb");
    EXPECT_EQ(disks[1].model, "SECOND DISK");
    EXPECT_EQ(disks[2].path, "/devices/nvme0n1");
    EXPECT_EQ(disks[2].model, "nvme0n1");
    EXPECT_EQ(disks[2].number, 2u);
    EXPECT_FALSE(disks[2].imageFile);
}

TEST(DiskMap, MachineDisksUnderTheEnvironmentRoot)
{
    TempFolder dir;
    dir.Write("sys/block/sdb/size", "4096\n");
    dir.Write("sys/block/sdb/device/model", "ROOTED DISK\n");
    ImageList images(nullptr);
    const char* old = std::getenv(CDiskMap::kRootVariable);
    const std::string kept = old != nullptr ? old : "";
    setenv(CDiskMap::kRootVariable, (dir.path + "/").c_str(), 1);
    const std::vector<DiskMapEntry> disks = CDiskMap().Disks();
    if (old != nullptr)
        setenv(CDiskMap::kRootVariable, kept.c_str(), 1);
    else
        unsetenv(CDiskMap::kRootVariable);
    ASSERT_EQ(disks.size(), 1u);
    EXPECT_EQ(disks[0].path, dir.path + "/dev/sdb");
    EXPECT_EQ(disks[0].model, "ROOTED DISK");
}

TEST(DiskMap, DeviceNames)
{
    TempFolder dir;
    const std::string a = dir.File("a.img", 512);
    const std::string b = dir.File("b.img", 1024);
    ImageList images((a + ":" + b).c_str());
    CDiskMap map(dir.path + "/no-sys");
    EXPECT_EQ(CDiskMap::DeviceName(1), "\\\\.\\PhysicalDrive1");
    struct Case {
        std::string name;
        bool found;
        std::string path;
    };
    const Case cases[] = {
        {"\\\\.\\PhysicalDrive0", true, a},
        {"\\\\.\\PhysicalDrive1", true, b},
        {"\\\\.\\PhysicalDrive2", false, ""},
        {"\\\\.\\PhysicalDrive", false, ""},
        {"\\\\.\\PhysicalDrive1x", false, ""},
        {"\\\\.\\PhysicalDrive-1", false, ""},
        {"\\\\.\\PhysicalDrive99999999999999999999", false, ""},
        {"/dev/sda", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DiskMapEntry disk;
        EXPECT_EQ(map.FindByDeviceName(c.name, disk), c.found);
        if (c.found) {
            EXPECT_EQ(disk.path, c.path);
        }
    }
}

#include <sys/sysmacros.h>

#include "DiskFilePlace.h"

// Where a file lies, through a made-up /sys and mount table under the environment
// root: the test folder's own file system stands for a partition of each kind of disk.
TEST(DiskFilePlace, TheDiskAndPartitionHoldingAFileForEveryKindOfDisk)
{
    TempFolder dir;
    const std::string a = dir.File("a.img", 4096);
    const std::string b = dir.File("b.img", 8192);
    const std::string file = dir.File("set.rvd", 16);
    struct stat st;
    ASSERT_EQ(0, stat(file.c_str(), &st));
    const std::string numbers = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    const std::string root = dir.path + "/root";
    const char* oldRoot = std::getenv(CDiskMap::kRootVariable);
    const std::string keptRoot = oldRoot != nullptr ? oldRoot : "";
    setenv(CDiskMap::kRootVariable, root.c_str(), 1);
    const struct {
        const char* what;
        const char* images; // null: the machine's disks under the root
        std::string source; // the mount table's device for the folder's file system
        bool onDisk;
        unsigned disk;
        uint64_t start, sectors;
    } cases[] = {
        {"image from an offset", "a:b", "/dev/loop57", true, 1, 2048, 4096},
        {"partition of a loop device", "a:b", "/dev/loop58p2", true, 0, 63 + 4096, 1000},
        {"image not in the map", "a", "/dev/loop57", false, 0, 0, 0},
        {"whole image from its start", "a:b", "/dev/loop59", true, 1, 0, 0},
        {"partition of a machine disk", nullptr, "", true, 1, 2048, 30000},
        {"file system on nothing listed", "a:b", "/dev/mapper/vg-x", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::system(("rm -rf '" + root + "'").c_str());
        dir.Write("root/proc/self/mountinfo", "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n95 22 " + numbers +
                                                  " / /mnt/P1 ro - vfat " + c.source + " ro\n");
        dir.Write("root/sys/block/loop57/loop/backing_file", b + "\n");
        dir.Write("root/sys/block/loop57/loop/offset", "1048576\n");
        dir.Write("root/sys/block/loop57/size", "4096\n");
        dir.Write("root/sys/block/loop58/loop/backing_file", a + "\n");
        dir.Write("root/sys/block/loop58/loop/offset", std::to_string(63 * 512) + "\n");
        dir.Write("root/sys/block/loop58/loop58p2/start", "4096\n");
        dir.Write("root/sys/block/loop58/loop58p2/size", "1000\n");
        dir.Write("root/sys/block/loop59/loop/backing_file", b + "\n");
        dir.Write("root/sys/block/loop59/loop/offset", "0\n");
        std::string images;
        if (c.images != nullptr)
            for (const char* p = c.images; *p != 0; ++p)
                if (*p != ':')
                    images += (images.empty() ? "" : ":") + (*p == 'a' ? a : b);
        ImageList list(c.images != nullptr ? images.c_str() : nullptr);
        if (c.images == nullptr) {
            // Two disks of the machine; the folder's file system is sdb's second partition,
            // as /sys/dev/block tells.
            for (const char* disk : {"sda", "sdb"}) {
                dir.Write(std::string("root/sys/block/") + disk + "/device/model", "Disk\n");
                dir.Write(std::string("root/sys/block/") + disk + "/size", "65536\n");
                dir.Write(std::string("root/dev/") + disk, "");
            }
            dir.Write("root/sys/block/sdb/sdb2/partition", "2\n");
            dir.Write("root/sys/block/sdb/sdb2/start", "2048\n");
            dir.Write("root/sys/block/sdb/sdb2/size", "30000\n");
            std::system(("mkdir -p '" + root + "/sys/dev/block' && ln -s ../../block/sdb/sdb2 '" + root +
                         "/sys/dev/block/" + numbers + "'").c_str());
        }
        const DiskFilePlace place = FindDiskFilePlace(file);
        EXPECT_EQ(c.onDisk, place.onDisk);
        if (c.onDisk) {
            EXPECT_EQ(c.disk, place.disk);
            EXPECT_EQ(c.start, place.start);
            EXPECT_EQ(c.sectors, place.sectors);
        }
    }
    if (oldRoot != nullptr)
        setenv(CDiskMap::kRootVariable, keptRoot.c_str(), 1);
    else
        unsetenv(CDiskMap::kRootVariable);
}
