#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <unistd.h>

#include "CHardDriveIO.h"
#include "CNtfsMFT.h"
#include "CNtfsVolume.h"
#include "IDevice.h"
#include "LittleEndian.h"

namespace {

// A device of a given number of sectors that holds an NTFS boot sector of a volume
// with 1 MiB clusters at sector 0 and the low byte of each sector's number in every
// other sector. Sectors past its end fail, as a disk's do.
class BootDevice : public IDevice {
public:
    BootDevice(uint64_t deviceSectors, uint64_t volumeSectors) : sectors_(deviceSectors), boot_(512, 0)
    {
        std::memcpy(&boot_[3], "NTFS    ", 8);
        StoreLE16(&boot_[11], 512);
        boot_[13] = 0xF5; // 2^11 sectors: 1 MiB clusters
        StoreLE64(&boot_[40], volumeSectors);
        StoreLE64(&boot_[48], 1);
        StoreLE64(&boot_[56], 2);
        boot_[64] = 0xF6;
        boot_[68] = 0xF4;
        StoreLE16(&boot_[510], 0xAA55);
    }
    int ReadSector(unsigned char* buffer, long long first, long long count) override
    {
        if (first < 0 || count <= 0 || static_cast<uint64_t>(first + count) > sectors_)
            return 0;
        for (long long i = 0; i < count; ++i) {
            if (first + i == 0)
                std::memcpy(buffer, boot_.data(), 512);
            else
                std::memset(buffer + i * 512, static_cast<unsigned char>(first + i), 512);
        }
        return 1;
    }
    int WriteSector(unsigned char*, long long, long long) override { return 0; }
    int Open() override { return 1; }
    int Close() override { return 1; }

private:
    uint64_t sectors_;
    std::vector<unsigned char> boot_;
};

constexpr uint64_t kVolumeSectors = 64 * 2048; // 64 clusters of 1 MiB

TEST(VolumeOnDevice, TheDeviceMustHoldTheVolumesLastSector)
{
    struct Case {
        const char* what;
        uint64_t deviceSectors;
        uint64_t claimedSectors;
        bool loads;
    } cases[] = {
        {"device as large as the volume", kVolumeSectors, kVolumeSectors, true},
        {"device with a spare sector (the backup boot sector)", kVolumeSectors + 1, kVolumeSectors, true},
        {"device one sector short", kVolumeSectors - 1, kVolumeSectors, false},
        {"volume claiming 2^40 sectors on a small device", kVolumeSectors, uint64_t(1) << 40, false},
        {"volume whose bytes do not fit a signed 64-bit offset", kVolumeSectors, uint64_t(1) << 54, false},
    };
    for (const Case& c : cases) {
        BootDevice device(c.deviceSectors, c.claimedSectors);
        CHardDriveIO io;
        io.LoadSetting(CHardDriveIOSetting(nullptr, &device));
        ASSERT_TRUE(io.OpenDisk(-1));
        CNtfsVolume volume;
        EXPECT_EQ(volume.LoadNtfsVolume(&io, -1, 0), c.loads) << c.what;
        EXPECT_EQ(volume.IsLoaded(), c.loads) << c.what;
    }
}

// Reads through a run list without the record 0 that InitMFT would need.
class RunReader : public CNtfsMFT {
public:
    explicit RunReader(const CNtfsVolume& volume) { volume_ = volume; }
};

// Runs the read of 4096 bytes in a child that an alarm ends, so that a read that
// never finishes fails the test instead of hanging it. The bytes must be zeros, or
// with firstSector >= 0 the sectors from that one on.
void ExpectReadEnds(const CNtfsRunList& runs, uint64_t offset, long long firstSector)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            alarm(10);
            BootDevice device(kVolumeSectors, kVolumeSectors);
            CHardDriveIO io;
            io.LoadSetting(CHardDriveIOSetting(nullptr, &device));
            CNtfsVolume volume;
            if (!io.OpenDisk(-1) || !volume.LoadNtfsVolume(&io, -1, 0))
                std::exit(2);
            RunReader reader(volume);
            std::vector<unsigned char> buffer(4096, 0xEE);
            if (!reader.ReadRunListData(runs, offset, buffer.data(), buffer.size()))
                std::exit(3);
            for (size_t i = 0; i < buffer.size(); ++i) {
                const unsigned char expected =
                    firstSector < 0 ? 0 : static_cast<unsigned char>(firstSector + static_cast<long long>(i / 512));
                if (buffer[i] != expected)
                    std::exit(4);
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(VolumeOnDevice, RunsWhoseByteLengthWrapsStillRead)
{
    // 2^44 clusters of 1 MiB are 2^64 bytes: counted in 64 bits the run is 0 bytes
    // long, and a reader that trusts that product never advances.
    CNtfsRunList sparse;
    sparse.Append(tagDataRun{NTFS_SPARSE_LCN, 0, int64_t(1) << 44});
    ExpectReadEnds(sparse, 0, -1);

    CNtfsRunList onDisk;
    onDisk.Append(tagDataRun{3, 0, int64_t(1) << 44});
    ExpectReadEnds(onDisk, 512, 3 * 2048 + 1);
}

} // namespace
