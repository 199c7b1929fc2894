// The sparse temporary copy of a volume and the partition device it is written into:
// holes stay holes, used clusters alone are copied, writes stay inside the partition
// and the first sector is written last.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CDiskMap.h"
#include "CPartitionDevice.h"
#include "CScratchVolume.h"

namespace {
std::string MakeDiskFile(uint64_t sectors)
{
    char name[] = "/tmp/plinth-disk-XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(0, ftruncate(fd, off_t(sectors * 512)));
    close(fd);
    setenv(CDiskMap::kImagesVariable, name, 1);
    return name;
}

std::vector<unsigned char> Sector(unsigned char fill) { return std::vector<unsigned char>(512, fill); }

// A device of sectors whose byte is the sector number (0 reads as zeros), counting reads.
class CountingDevice : public IDevice {
public:
    explicit CountingDevice(uint64_t sectors) : sectors_(sectors) {}
    int ReadSector(unsigned char* buffer, long long first, long long count) override
    {
        if (first < 0 || uint64_t(first + count) > sectors_)
            return 0;
        reads.push_back({uint64_t(first), uint64_t(count)});
        for (long long i = 0; i < count; ++i)
            std::fill(buffer + i * 512, buffer + (i + 1) * 512, static_cast<unsigned char>((first + i) & 0xFF));
        return 1;
    }
    int WriteSector(unsigned char*, long long, long long) override { return 0; }
    int Open() override { return 1; }
    int Close() override { return 1; }
    std::vector<std::pair<uint64_t, uint64_t>> reads;

private:
    uint64_t sectors_;
};

TEST(PartitionDevice, ReadsAndWritesOnlyInsideItsPartition)
{
    const std::string disk = MakeDiskFile(100);
    CPartitionDevice device({0, 10, 20});
    ASSERT_EQ(device.Open(), 1);
    EXPECT_TRUE(device.OnImageFile());
    EXPECT_TRUE(device.PartitionNode().empty());
    std::vector<unsigned char> data = Sector(7);
    EXPECT_EQ(device.WriteSector(data.data(), 19, 1), 1);
    struct Case {
        long long first, count;
    } refused[] = {{20, 1}, {19, 2}, {-1, 1}, {0, 21}, {0, -1}};
    for (const Case& c : refused) {
        std::vector<unsigned char> big(512 * 32);
        EXPECT_EQ(device.WriteSector(big.data(), c.first, c.count), 0) << c.first << "+" << c.count;
        EXPECT_EQ(device.ReadSector(big.data(), c.first, c.count), 0) << c.first << "+" << c.count;
    }
    std::vector<unsigned char> back(512);
    const int fd = open(disk.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(512, pread(fd, back.data(), 512, 29 * 512));
    close(fd);
    EXPECT_EQ(back, data);
    CPartitionDevice pastTheEnd({0, 90, 11});
    EXPECT_EQ(pastTheEnd.Open(), 0);
    CPartitionDevice noDisk({3, 0, 1});
    EXPECT_EQ(noDisk.Open(), 0);
    unlink(disk.c_str());
}

TEST(ScratchVolume, CopiesTheSystemAreaAndTheUsedClustersAloneAndStaysSparse)
{
    CountingDevice source(4096 + 16);
    // Data area from sector 16, 4 sectors per cluster; clusters 1, 2 and 1000 in use.
    std::vector<uint8_t> bitmap(1024 / 8, 0);
    bitmap[0] = 0x06;
    bitmap[1000 / 8] = static_cast<uint8_t>(1u << (1000 % 8));
    const KSVolumeSource volume{&source, bitmap.data(), bitmap.size(), 4, 16, 4096 + 16};
    CScratchVolume scratch;
    ASSERT_TRUE(scratch.Create(nullptr, volume.volumeSectors));
    ASSERT_EQ(scratch.CopyUsedFrom(volume), CScratchVolume::kDone);
    const std::vector<std::pair<uint64_t, uint64_t>> expected = {{0, 16}, {20, 8}, {4016, 4}};
    EXPECT_EQ(source.reads, expected);
    std::vector<unsigned char> sector(512);
    for (const uint64_t s : {5ull, 20ull, 27ull, 4019ull}) {
        ASSERT_TRUE(scratch.Read(sector.data(), s, 1));
        EXPECT_EQ(sector, Sector(static_cast<unsigned char>(s & 0xFF))) << s;
    }
    ASSERT_TRUE(scratch.Read(sector.data(), 28, 1));
    EXPECT_EQ(sector, Sector(0)) << "an unused cluster";
    struct stat st{};
    ASSERT_EQ(0, stat(scratch.Path().c_str(), &st));
    EXPECT_LT(uint64_t(st.st_blocks), 1024u) << "holes where nothing was copied";
}

TEST(ScratchVolume, WritesItsDataIntoThePartitionWithTheFirstSectorLast)
{
    const std::string disk = MakeDiskFile(64);
    CPartitionDevice target({0, 8, 40});
    ASSERT_EQ(target.Open(), 1);
    std::vector<unsigned char> stale = Sector(0xEE);
    for (long long s = 0; s < 40; ++s)
        ASSERT_EQ(target.WriteSector(stale.data(), s, 1), 1);
    CScratchVolume scratch;
    ASSERT_TRUE(scratch.Create(nullptr, 40));
    for (const uint64_t s : {0ull, 1ull, 30ull})
        ASSERT_TRUE(scratch.Write(Sector(static_cast<unsigned char>(s + 1)).data(), s, 1));

    // A target that fails on its first sector has every other sector already.
    struct FirstSectorFails : IDevice {
        CPartitionDevice& inner;
        explicit FirstSectorFails(CPartitionDevice& d) : inner(d) {}
        int ReadSector(unsigned char* b, long long f, long long c) override { return inner.ReadSector(b, f, c); }
        int WriteSector(unsigned char* b, long long f, long long c) override
        {
            return f == 0 ? 0 : inner.WriteSector(b, f, c);
        }
        int Open() override { return 1; }
        int Close() override { return 1; }
    } failing(target);
    EXPECT_EQ(scratch.WriteInto(failing, 40, false), CScratchVolume::kWriteFailed);
    std::vector<unsigned char> sector(512);
    ASSERT_EQ(target.ReadSector(sector.data(), 0, 1), 1);
    EXPECT_EQ(sector, Sector(0xEE));
    ASSERT_EQ(target.ReadSector(sector.data(), 30, 1), 1);
    EXPECT_EQ(sector, Sector(31));

    ASSERT_EQ(scratch.WriteInto(target, 40, true), CScratchVolume::kDone);
    // Holes (whole file-system blocks of zeros) leave what the partition held.
    const unsigned char expected[][2] = {{0, 1}, {1, 2}, {8, 0xEE}, {23, 0xEE}, {30, 31}, {39, 0xEE}};
    for (const auto& e : expected) {
        ASSERT_EQ(target.ReadSector(sector.data(), e[0], 1), 1);
        EXPECT_EQ(sector, Sector(e[1])) << int(e[0]);
    }
    EXPECT_EQ(scratch.WriteInto(target, 41, false), CScratchVolume::kWriteFailed) << "more than it holds";
    unlink(disk.c_str());
}
}
