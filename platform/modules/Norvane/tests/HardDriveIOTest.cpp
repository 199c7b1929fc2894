#include <gtest/gtest.h>

#include <vector>

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

} // namespace
