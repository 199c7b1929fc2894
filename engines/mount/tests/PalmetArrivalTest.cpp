// The engine over the recording bus double whose children arrive at the Win32 layer
// as disk images made by sfdisk and mkfs.fat: the failures and races the driver's
// core cannot be made to show.
#include "BackupDisk.h"
#include "BusDouble.h"
#include "ImageChildDisk.h"
#include "KSZedskacs.h"
#include "MountTestSets.h"
#include "Palmet.h"
#include "PluginRecord.h"

#include "KSPlatformArrival.h"
#include "KSPlatformControl.h"
#include "VolumeUtils.h"
#include "KSResult.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <winioctl.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::array<uint8_t, 256> EntryOfRecord(const std::vector<uint8_t>& record)
{
    std::array<uint8_t, 256> entry;
    std::memcpy(entry.data(), record.data() + ZEDISK_RECORD_VOLUME, 256);
    return entry;
}

bool VolumeStartsWithFat16(char letter)
{
    const std::string name = std::string("\\\\.\\") + letter + ":";
    HANDLE volume = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (volume == INVALID_HANDLE_VALUE)
        return false;
    char boot[512] = {};
    DWORD read = 0;
    const bool ok = ReadFile(volume, boot, 512, &read, nullptr) && read == 512;
    CloseHandle(volume);
    return ok && std::memcmp(boot + 54, "FAT16", 5) == 0 && std::memcmp(boot + 43, "CHILD", 5) == 0;
}

class PalmetArrivalTest : public ::testing::Test {
protected:
    // One set for every test: the backup fixture disk's FAT16 volume. The bus double
    // opens nothing, so its child need not hold the set's volume.
    static void SetUpTestSuite() { set = BackUpOneVolume("arrival-set", BackupDisk::Get().fat16.index, L""); }

    void SetUp() override
    {
        ASSERT_FALSE(set.file.empty());
        KSPlatformReset();
        KSPlatformSetClock(&clock);
        handles = KSPlatformOpenHandles();
        image = MakeChildDiskImage("arrival-child");
        ASSERT_FALSE(image.empty());
        foreignImage = MakeChildDiskImage("arrival-foreign");
        ASSERT_FALSE(foreignImage.empty());
        bus = InstallBusDouble();
    }
    void TearDown() override
    {
        if (mount != nullptr)
            mount->Release();
        KSPlatformReset();
        CloseDiskAccessControlDevice();   // held for the process once a disk of the service opened
        EXPECT_EQ(KSPlatformOpenHandles(), handles);
    }
    void Start(bool serviceStarts)
    {
        KSZedskacsInstall();
        if (!serviceStarts) {
            KSServiceScript refusing;
            refusing.name = "zedskacs";
            refusing.startError = 1058;   // disabled
            KSPlatformAddService(refusing);
        }
        void* object = nullptr;
        ASSERT_EQ(KSCreateObjectMount(0x10000, KS_MOUNT_KIND, &object), 0u);
        mount = static_cast<IKSMount*>(object);
    }
    // Each accepted plug-in: a foreign disk first when asked, then the mount's own
    // child; both come with letters from C at once.
    void ArriveOnPlugin(bool foreignToo, const std::string& ownImage)
    {
        bus->onPlugin = [this, foreignToo, ownImage](const std::vector<uint8_t>& record) {
            if (foreignToo) {
                foreign = std::make_shared<ImageChildState>();
                std::memcpy(foreign->record.data(), record.data(), record.size());
                foreign->record[ZEDISK_RECORD_DISK_ID] ^= 0x5A;   // another mount's disk
                foreignDisk = KSPlatformDiskArrival(OpenImageChild(foreignImage, foreign));
            }
            own = std::make_shared<ImageChildState>();
            std::memcpy(own->record.data(), record.data(), record.size());
            ownDisk = KSPlatformDiskArrival(OpenImageChild(ownImage, own));
            bus->children.push_back(EntryOfRecord(record));
            bus->letterMask |= 1u << record[ZEDISK_RECORD_LETTER];
        };
    }
    unsigned long Mount(unsigned letter)
    {
        std::wstring path = set.file;
        _KS_VOLUME volume = set.volume;
        return mount->MountImage(&path[0], &volume, letter, nullptr);
    }

    KSFakeClock clock;
    IKSMount* mount = nullptr;
    std::shared_ptr<BusState> bus;
    std::shared_ptr<ImageChildState> own, foreign;
    int ownDisk = -1, foreignDisk = -1;
    std::string image, foreignImage;
    unsigned handles = 0;
    static MountSet set;
};

MountSet PalmetArrivalTest::set;

TEST_F(PalmetArrivalTest, AForeignDiskArrivingDuringTheMountKeepsItsLetter)
{
    for (const bool serviceStarts : {true, false}) {
        SCOPED_TRACE(serviceStarts ? "found as a new disk-access device" : "found as a new letter");
        TearDown();
        SetUp();
        Start(serviceStarts);
        ArriveOnPlugin(true, image);
        ASSERT_EQ(Mount(10), 0u);
        ASSERT_EQ(foreignDisk, 1);
        ASSERT_EQ(ownDisk, 2);
        EXPECT_EQ(KSPlatformDriveLetterOf(1, 63), 'C') << "the foreign volume keeps the letter it came with";
        EXPECT_EQ(KSPlatformDriveLetterOf(2, 63), 'K');
        EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 10));
        EXPECT_TRUE(VolumeStartsWithFat16('K'));
        EXPECT_EQ(foreign->letterSets, 0u);
        EXPECT_EQ(bus->Count(IOCTL_ZEDISK_UNPLUG), 0u);
    }
}

TEST_F(PalmetArrivalTest, UnmountLocksOnlyTheBusesVolumesAndUnlocksEveryLock)
{
    Start(true);
    ArriveOnPlugin(true, image);
    ASSERT_EQ(Mount(10), 0u);
    ASSERT_EQ(mount->UnmountImage(0), 0u);
    KSArrivedVolumeControls own, other;
    ASSERT_TRUE(KSPlatformArrivedVolumeControls(static_cast<unsigned>(ownDisk), 1, own));
    ASSERT_TRUE(KSPlatformArrivedVolumeControls(static_cast<unsigned>(foreignDisk), 1, other));
    EXPECT_EQ(own.locks, 1u);
    EXPECT_EQ(own.unlocks, 1u);
    EXPECT_EQ(own.dismounts, 1u);
    EXPECT_FALSE(own.locked);
    EXPECT_EQ(other.locks + other.unlocks + other.dismounts, 0u) << "a volume not of the bus is left alone";
    ASSERT_EQ(bus->Count(IOCTL_ZEDISK_UNPLUG), 1u);

    // A volume someone else holds locked is not dismounted; the unplug still goes.
    HANDLE holder = CreateFileA("\\\\.\\K:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(holder, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(mount->UnmountImage(1u << 10), 0u);
    ASSERT_TRUE(KSPlatformArrivedVolumeControls(static_cast<unsigned>(ownDisk), 1, own));
    EXPECT_EQ(own.dismounts, 1u);
    EXPECT_TRUE(own.locked);
    EXPECT_EQ(bus->Count(IOCTL_ZEDISK_UNPLUG), 2u);
    CloseHandle(holder);
}

TEST_F(PalmetArrivalTest, ListingRepairsALetterChangedOutsideAndTellsTheDisk)
{
    Start(true);
    ArriveOnPlugin(false, image);
    ASSERT_EQ(Mount(10), 0u);
    ASSERT_EQ(ownDisk, 1);
    wchar_t volume[MAX_PATH] = {};
    ASSERT_TRUE(GetVolumeNameForVolumeMountPointW(L"K:\\", volume, MAX_PATH));
    ASSERT_TRUE(DeleteVolumeMountPointW(L"K:\\"));
    ASSERT_TRUE(SetVolumeMountPointW(L"M:\\", volume));

    std::array<uint8_t, 256> entry{};
    uint32_t count = 1;
    ASSERT_EQ(mount->GetMountedDisks(entry.data(), &count), 0u);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(entry[ZEDISK_VOLUME_LETTER], 12u);
    EXPECT_EQ(own->letterSets, 1u) << "the set-letter code reached the disk through \\\\.\\M:";
    EXPECT_EQ(own->record[ZEDISK_RECORD_LETTER], 12u);
}

TEST_F(PalmetArrivalTest, ADiskWithNoVolumeYetIsAskedAgainUntilThePassesEnd)
{
    const std::string blank = MakeWorkFolder("arrival-blank") + "/blank.img";
    std::ofstream(blank, std::ios::binary).close();
    ASSERT_EQ(truncate(blank.c_str(), 24 << 20), 0);
    Start(true);
    ArriveOnPlugin(false, blank);
    EXPECT_EQ(KSResultKind(Mount(10)), 0x015u);
    ASSERT_EQ(ownDisk, 1);
    EXPECT_GT(own->recordReads, 100u) << "the disk was taken up again pass after pass";
    EXPECT_EQ(GetLogicalDrives() & (1u << 10), 0u);
    EXPECT_EQ(bus->Count(IOCTL_ZEDISK_UNPLUG), 1u);
}

} // namespace
