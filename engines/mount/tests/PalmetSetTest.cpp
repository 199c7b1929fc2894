// Mounts of sets the backup engine makes from the backup fixture disk, over the
// recording bus: the record names the file that holds the volume, the password
// reaches the container, and a mount that fails unplugs its disk again.
#include "BackupDisk.h"
#include "BackupRunner.h"
#include "BusDouble.h"
#include "MountTestSets.h"
#include "Palmet.h"
#include "PluginRecord.h"

#include "KSImageFormat.h"
#include "KSPlatformControl.h"
#include "KSResult.h"
#include "LittleEndian.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::wstring RecordPath(const std::vector<uint8_t>& record)
{
    std::wstring path;
    for (size_t at = ZEDISK_RECORD_PATH; at + 1 < record.size(); at += 2) {
        const uint16_t unit = LoadLE16(record.data() + at);
        if (unit == 0)
            break;
        path += static_cast<wchar_t>(unit);
    }
    return path;
}

std::array<uint8_t, ZEDISK_PLUGIN_RECORD_SIZE> AsArray(const std::vector<uint8_t>& bytes)
{
    std::array<uint8_t, ZEDISK_PLUGIN_RECORD_SIZE> record{};
    std::memcpy(record.data(), bytes.data(), record.size());
    return record;
}

class PalmetSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BackupDisk::Get();
        KSPlatformReset();
        void* object = nullptr;
        ASSERT_EQ(KSCreateObjectMount(0x10000, KS_MOUNT_KIND, &object), 0u);
        mount = static_cast<IKSMount*>(object);
    }
    void TearDown() override
    {
        mount->Release();
        KSPlatformReset();
    }
    // The mount on the fake clock, checking that the set was closed again.
    unsigned long Mount(const std::wstring& image, _KS_VOLUME volume, unsigned letter, const wchar_t* password)
    {
        KSFakeClock clock;
        KSPlatformSetClock(&clock);
        const unsigned handles = KSPlatformOpenHandles();
        std::wstring path = image;
        std::wstring secret = password != nullptr ? password : L"";
        const unsigned long rc =
            mount->MountImage(&path[0], &volume, letter, password != nullptr ? &secret[0] : nullptr);
        EXPECT_EQ(KSPlatformOpenHandles(), handles);
        KSPlatformSetClock(nullptr);
        return rc;
    }

    IKSMount* mount = nullptr;
};

TEST_F(PalmetSetTest, PlainSetArrivesWithTheWantedLetter)
{
    const MadeMountSet set = BackUpForMount("mount-plain", {BackupDisk::Get().fat16.index}, L"");
    ASSERT_EQ(set.volumes.size(), 1u);
    auto bus = InstallBusDouble();
    bus->onPlugin = [](const std::vector<uint8_t>& record) { InstallChildVolume('G', AsArray(record)); };
    ASSERT_EQ(Mount(set.files.back(), set.volumes[0], 6, nullptr), 0u);
    ASSERT_EQ(bus->Count(IOCTL_ZEDISK_PLUGIN), 1u);
    const std::vector<uint8_t>& record = bus->requests[0].input;
    EXPECT_EQ(RecordPath(record), set.files.back());
    EXPECT_EQ(LoadLE32(record.data() + 4), MountDiskId(set.volumes[0], 6));
    EXPECT_EQ(record[24], 6);
    EXPECT_EQ(LoadLE64(record.data() + 56), MountDiskSectors(set.volumes[0].TotalSectors));
    EXPECT_EQ(bus->Count(IOCTL_ZEDISK_UNPLUG), 0u);
}

TEST_F(PalmetSetTest, ASplitSetNamesTheFileHoldingTheVolume)
{
    const uint32_t fat32 = BackupDisk::Get().fat32.index;
    const MadeMountSet set = BackUpForMount("mount-split", {fat32, fat32, fat32}, L"", 50);
    ASSERT_EQ(set.volumes.size(), 3u);
    ASSERT_GE(set.images.size(), 3u);
    const _KS_VOLUME& later = set.volumes[1];
    std::wstring holder;
    for (const _KS_IMG& image : set.images)
        if (later.RunIndexOffset >= image.Base && later.RunIndexOffset - image.Base < image.DataLength)
            holder = image.Path;
    ASSERT_FALSE(holder.empty());
    // Neither the file the mount is given (the set's last) nor the first.
    ASSERT_NE(holder, set.files.back());
    ASSERT_NE(holder, set.files.front());

    auto bus = InstallBusDouble();
    bus->onPlugin = [](const std::vector<uint8_t>& record) { InstallChildVolume('H', AsArray(record)); };
    ASSERT_EQ(Mount(set.files.back(), later, 7, nullptr), 0u);
    ASSERT_EQ(bus->Count(IOCTL_ZEDISK_PLUGIN), 1u);
    EXPECT_EQ(RecordPath(bus->requests[0].input), holder);
}

TEST_F(PalmetSetTest, EncryptedSetNeedsItsPassword)
{
    const MadeMountSet set = BackUpForMount("mount-secret", {BackupDisk::Get().fat16.index}, L"s3cret");
    ASSERT_EQ(set.volumes.size(), 1u);
    auto bus = InstallBusDouble();
    bus->onPlugin = [](const std::vector<uint8_t>& record) { InstallChildVolume('G', AsArray(record)); };

    const unsigned long wrong = Mount(set.files.back(), set.volumes[0], 6, L"guess");
    EXPECT_EQ(KSResultKind(wrong), static_cast<unsigned long>(KS_KIND_WRONG_PASSWORD));
    EXPECT_EQ(KSResultModule(wrong), static_cast<unsigned long>(KS_MODULE_CONTAINER));
    EXPECT_TRUE(bus->requests.empty());

    ASSERT_EQ(Mount(set.files.back(), set.volumes[0], 6, L"s3cret"), 0u);
    ASSERT_EQ(bus->Count(IOCTL_ZEDISK_PLUGIN), 1u);
    const std::vector<uint8_t>& record = bus->requests[0].input;
    const char16_t expected[] = u"s3cret";
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(LoadLE16(record.data() + 264 + 2 * i), expected[i]) << i;
}

TEST_F(PalmetSetTest, AVolumeArrivingWithAnotherLetterIsMoved)
{
    const BackupDisk& disk = BackupDisk::Get();
    const MadeMountSet set = BackUpForMount("mount-move", {disk.fat16.index}, L"");
    ASSERT_EQ(set.volumes.size(), 1u);
    auto bus = InstallBusDouble();
    // The system gives the new volume E:, a volume of the disk map's disk.
    bus->onPlugin = [&disk](const std::vector<uint8_t>& record) {
        InstallChildVolume('E', AsArray(record));
        KSDriveEntry drive;
        drive.letter = 'E';
        drive.hasVolume = true;
        drive.volume.disk = 0;
        drive.volume.firstSector = disk.fat16.start;
        drive.volume.sectors = disk.fat16.sectors;
        KSPlatformAddDrive(drive);
    };
    ASSERT_EQ(Mount(set.files.back(), set.volumes[0], 6, nullptr), 0u);
    KSDriveEntry drive;
    EXPECT_FALSE(KSPlatformFindDrive('E', drive));
    ASSERT_TRUE(KSPlatformFindDrive('G', drive));
    EXPECT_TRUE(drive.hasVolume);
    EXPECT_EQ(drive.volume.firstSector, disk.fat16.start);
}

TEST_F(PalmetSetTest, FailedMountsAndTheUnplugAfterThem)
{
    const MadeMountSet set = BackUpForMount("mount-fail", {BackupDisk::Get().fat16.index}, L"");
    ASSERT_EQ(set.volumes.size(), 1u);

    // No bus device.
    EXPECT_EQ(KSResultKind(Mount(set.files.back(), set.volumes[0], 6, nullptr)), 0x104u);

    // The plug-in refused: nothing to unplug.
    auto bus = InstallBusDouble();
    bus->refusePlugin = true;
    EXPECT_EQ(KSResultKind(Mount(set.files.back(), set.volumes[0], 6, nullptr)), 0x050u);
    EXPECT_EQ(bus->Count(IOCTL_ZEDISK_UNPLUG), 0u);

    // The volume never comes: the disk is unplugged by the wanted letter.
    bus->refusePlugin = false;
    EXPECT_EQ(KSResultKind(Mount(set.files.back(), set.volumes[0], 6, nullptr)), 0x015u);
    ASSERT_EQ(bus->Count(IOCTL_ZEDISK_UNPLUG), 1u);
    EXPECT_EQ(LoadLE32(bus->requests.back().input.data() + 4), 1u << 6);

    // An unplug that keeps failing is tried ten times.
    bus->refuseTarget = true;
    EXPECT_EQ(KSResultKind(Mount(set.files.back(), set.volumes[0], 6, nullptr)), 0x015u);
    EXPECT_EQ(bus->Count(IOCTL_ZEDISK_UNPLUG), 11u);
}

} // namespace
