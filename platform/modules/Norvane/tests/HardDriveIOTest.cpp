#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CHardDriveIO.h"
#include "IDevice.h"

namespace {

// A device that counts its calls and serves sectors filled with their number.
class CountingDevice : public IDevice {
public:
    int ReadSector(unsigned char* buffer, long long first, long long count) override
    {
        ++reads;
        for (long long i = 0; i < count * 512; ++i)
            buffer[i] = static_cast<unsigned char>(first + i / 512);
        return 1;
    }
    int WriteSector(unsigned char*, long long, long long) override { return ++writes, 1; }
    int Open() override { return ++opens, 1; }
    int Close() override { return ++closes, 1; }

    int reads = 0, writes = 0, opens = 0, closes = 0;
};

TEST(HardDriveIO, ReadsOnlyThroughItsOwnOpenDevice)
{
    CountingDevice first, second;
    CHardDriveIO a, b;
    std::vector<unsigned char> buffer(1024);
    EXPECT_FALSE(a.OpenDisk(-1)) << "no device loaded";
    a.LoadSetting(CHardDriveIOSetting(nullptr, &first));
    EXPECT_FALSE(a.ReadSector(buffer.data(), 0, 1)) << "not open";
    ASSERT_TRUE(a.OpenDisk(-1));
    b.LoadSetting(CHardDriveIOSetting(nullptr, &second));
    ASSERT_TRUE(b.OpenDisk(-1));

    ASSERT_TRUE(a.ReadSector(buffer.data(), 7, 2));
    EXPECT_EQ(buffer[0], 7);
    EXPECT_EQ(buffer[600], 8);
    EXPECT_EQ(first.reads, 1);
    EXPECT_EQ(second.reads, 0) << "a second raw disk does not take the first one's device";
    EXPECT_FALSE(a.ReadSector(buffer.data(), 0, 0));
    EXPECT_FALSE(a.ReadSector(buffer.data(), -1, 1));
    EXPECT_TRUE(a.WriteSector(buffer.data(), 3, 1));
    EXPECT_EQ(first.writes, 1);

    EXPECT_TRUE(a.CloseDisk());
    EXPECT_EQ(first.closes, 1);
    EXPECT_FALSE(a.ReadSector(buffer.data(), 0, 1));
}

// Two disk-image files named in the disk map's variable stand for the machine's
// disks; the variable is put back afterwards.
class MappedDisks : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/norvane-disks-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        for (int disk = 0; disk < 2; ++disk) {
            paths_.push_back(folder_ + "/disk" + std::to_string(disk) + ".img");
            std::ofstream out(paths_.back(), std::ios::binary);
            for (int sector = 0; sector < 8; ++sector)
                out << std::string(512, static_cast<char>('A' + disk * 16 + sector));
        }
        const char* old = std::getenv("RVD_DISK_IMAGES");
        hadOld_ = old != nullptr;
        old_ = old ? old : "";
        setenv("RVD_DISK_IMAGES", (paths_[0] + ":" + paths_[1]).c_str(), 1);
    }
    void TearDown() override
    {
        if (hadOld_)
            setenv("RVD_DISK_IMAGES", old_.c_str(), 1);
        else
            unsetenv("RVD_DISK_IMAGES");
        for (const std::string& path : paths_) {
            chmod(path.c_str(), 0600);
            unlink(path.c_str());
        }
        rmdir(folder_.c_str());
    }

    std::string folder_;
    std::vector<std::string> paths_;
    bool hadOld_ = false;
    std::string old_;
};

TEST_F(MappedDisks, DiskNumbersOpenTheDisksOfTheMap)
{
    CHardDriveIO io;
    io.LoadSetting(CHardDriveIOSetting(nullptr, nullptr));
    std::vector<unsigned char> buffer(1024);
    EXPECT_FALSE(io.OpenDisk(-1)) << "no device and no disk number";
    EXPECT_FALSE(io.OpenDisk(2)) << "the map has two disks";

    ASSERT_TRUE(io.OpenDisk(1));
    EXPECT_EQ(io.GetDiskNumber(), 1);
    ASSERT_TRUE(io.ReadSector(buffer.data(), 6, 2));
    EXPECT_EQ(buffer[0], 'A' + 16 + 6);
    EXPECT_EQ(buffer[1023], 'A' + 16 + 7);
    EXPECT_FALSE(io.ReadSector(buffer.data(), 7, 2)) << "the second sector lies past the end";
    EXPECT_FALSE(io.ReadSector(buffer.data(), 1LL << 60, 1)) << "the byte offset would overflow";

    std::vector<unsigned char> sector(512, 0x5A);
    ASSERT_TRUE(io.WriteSector(sector.data(), 3, 1));
    EXPECT_FALSE(io.WriteSector(sector.data(), 8, 1)) << "a disk does not grow";
    ASSERT_TRUE(io.ReadSector(buffer.data(), 2, 2));
    EXPECT_EQ(buffer[0], 'A' + 16 + 2);
    EXPECT_EQ(buffer[512], 0x5A);
    struct stat st;
    ASSERT_EQ(stat(paths_[1].c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 8 * 512);

    ASSERT_TRUE(io.OpenDisk(0)) << "opening another disk closes the first";
    ASSERT_TRUE(io.ReadSector(buffer.data(), 3, 1));
    EXPECT_EQ(buffer[0], 'A' + 3) << "disk 0 was not written";
    EXPECT_TRUE(io.CloseDisk());
    EXPECT_FALSE(io.ReadSector(buffer.data(), 0, 1));
}

size_t OpenFileCount()
{
    size_t count = 0;
    if (DIR* folder = opendir("/proc/self/fd")) {
        while (readdir(folder) != nullptr)
            ++count;
        closedir(folder);
    }
    return count;
}

TEST_F(MappedDisks, AnOpenDiskIsClosedWithItsObject)
{
    const size_t before = OpenFileCount();
    {
        CHardDriveIO io;
        ASSERT_TRUE(io.OpenDisk(0));
        EXPECT_EQ(OpenFileCount(), before + 1);
    }
    EXPECT_EQ(OpenFileCount(), before);
}

// Root opens any file for writing whatever its mode, so the case runs in a child that
// first gives up root for the unprivileged "nobody" user.
bool ReadsButCannotWriteAProtectedDisk(const std::string& folder, const std::string& path)
{
    if (chmod(path.c_str(), 0444) != 0)
        return false;
    if (geteuid() == 0) {
        const uid_t nobody = 65534;
        if (chmod(folder.c_str(), 0755) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            return false;
        if (access(path.c_str(), W_OK) == 0)
            return false;
    }
    CHardDriveIO io;
    std::vector<unsigned char> buffer(512);
    return io.OpenDisk(0) && io.ReadSector(buffer.data(), 1, 1) && buffer[0] == 'B' &&
           !io.WriteSector(buffer.data(), 1, 1);
}

TEST_F(MappedDisks, ADiskThatMayNotBeWrittenIsStillRead)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(ReadsButCannotWriteAProtectedDisk(folder_, paths_[0]) ? 0 : 1),
                ::testing::ExitedWithCode(0), "")
        << "the disk opens read-only, reads, and refuses writes";
}

} // namespace
