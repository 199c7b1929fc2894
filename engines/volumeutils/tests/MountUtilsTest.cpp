// The utilities the mount engine adds: giving a partition's volume a letter, the
// volume of a letter, the disk-access devices, the disk-access service and the bus
// device, over the backup fixture disk of the disk map.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "CDiskMap.h"
#include "FixtureImage.h"
#include "KSPlatformControl.h"
#include "KSPlatformSetup.h"
#include "KSPlatformVolumes.h"
#include "KSResult.h"
#include "KSZedskacs.h"
#include "VolumeUtils.h"

#include <sys/wait.h>
#include <unistd.h>

namespace {

class MountUtilsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        KSPlatformSetClock(&clock_);
        disk_ = MakeFixtureImage("backup/backup-disk.sh", "backup-disk.img");
        ASSERT_FALSE(disk_.empty());
        setenv(CDiskMap::kImagesVariable, disk_.c_str(), 1);
    }
    void TearDown() override { KSPlatformReset(); }
    KSFakeClock clock_;
    std::string disk_;
};

TEST_F(MountUtilsTest, AssignLetterSetsKeepsOrMovesTheLetter)
{
    // No letter yet: the wanted one is set.
    ASSERT_EQ(AssignDriveLetter('G', 0, 36864), 0u);
    EXPECT_EQ(KSPlatformDriveLetterOf(0, 36864), 'G');
    wchar_t name[39] = {};
    ASSERT_TRUE(GetVolumeOfLetter(name, 39, 'G'));
    const std::string guid = KSPlatformVolumeGuid(0, 36864);
    EXPECT_EQ(std::wstring(name), std::wstring(guid.begin(), guid.end()));

    // Already the wanted letter: nothing changes.
    const uint64_t slept = clock_.Slept();
    ASSERT_EQ(AssignDriveLetter('G', 0, 36864), 0u);
    EXPECT_EQ(KSPlatformDriveLetterOf(0, 36864), 'G');
    EXPECT_EQ(clock_.Slept(), slept);

    // Another letter: the old mount point goes, the wanted one is set.
    ASSERT_EQ(AssignDriveLetter('K', 0, 36864), 0u);
    EXPECT_EQ(KSPlatformDriveLetterOf(0, 36864), 'K');
    KSDriveEntry drive;
    EXPECT_FALSE(KSPlatformFindDrive('G', drive));

    // A start where no partition is: "no volume yet" after two tries.
    const unsigned long none = AssignDriveLetter('L', 0, 2049);
    EXPECT_EQ(KSResultKind(none), 0x209u);
    EXPECT_EQ(KSResultModule(none), 6u);
    EXPECT_FALSE(GetVolumeOfLetter(name, 39, 'L'));
}

TEST_F(MountUtilsTest, AWantedLetterInUseFailsWithTheMountPointKind)
{
    KSDriveEntry other;
    other.letter = 'G';
    KSPlatformAddDrive(other);
    EXPECT_EQ(KSResultKind(AssignDriveLetter('G', 0, 36864)), 0x050u);
}

TEST_F(MountUtilsTest, DiskAccessDevicesOpenOnlyWhatIsThere)
{
    DiskAccessDevice device;
    uint8_t sector[512] = {};
    // Unopened: every operation answers false.
    EXPECT_FALSE(device.Read(0, sector, 1));
    EXPECT_FALSE(device.Write(0, sector, 1));
    EXPECT_FALSE(device.Control(0, nullptr, 0, nullptr, 0, nullptr));
    EXPECT_FALSE(device.Close());
    EXPECT_FALSE(device.Open(0)) << "no disk-access service";

    // A device named above 1000 is never opened, even when it exists.
    bool opened1001 = false;
    KSPlatformRegisterDevice("ZEDSKACS\\1001", [&opened1001](DWORD, DWORD& error) {
        opened1001 = true;
        error = ERROR_ACCESS_DENIED;
        return std::shared_ptr<KSDevice>();
    });
    EXPECT_FALSE(device.Open(1001));
    EXPECT_FALSE(opened1001);
}

class AnyDevice : public KSDevice {
public:
    DWORD Read(uint64_t, void*, DWORD, DWORD& done) override { return done = 0, ERROR_SUCCESS; }
    DWORD Write(uint64_t, const void*, DWORD, DWORD& done) override { return done = 0, ERROR_SUCCESS; }
    DWORD Control(DWORD, const void*, DWORD, void*, DWORD, DWORD& returned) override { return returned = 0, 0; }
    uint64_t Size() const override { return 0; }
};

// A control device that notes how each open asked for it and may refuse some.
struct ControlOpens {
    std::vector<DWORD> dispositions;
    bool refuseExisting = false;
    int closedFd = -1;   // gets a byte when a device made here is destroyed
};

class NotingControlDevice : public AnyDevice {
public:
    explicit NotingControlDevice(int closedFd) : closedFd_(closedFd) {}
    ~NotingControlDevice() override
    {
        if (closedFd_ >= 0 && write(closedFd_, "c", 1) != 1)
            std::abort();
    }

private:
    int closedFd_;
};

void RegisterControlDevice(ControlOpens& opens)
{
    KSPlatformRegisterDevice("ZEDSKACS", [&opens](DWORD, DWORD& error) -> std::shared_ptr<KSDevice> {
        const DWORD disposition = KSPlatformDeviceOpenDisposition();
        opens.dispositions.push_back(disposition);
        if (opens.refuseExisting && disposition == OPEN_EXISTING) {
            error = ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
        return std::make_shared<NotingControlDevice>(opens.closedFd);
    });
}

TEST_F(MountUtilsTest, TheControlDeviceOpensOncePerProcess)
{
    CloseDiskAccessControlDevice();
    ControlOpens opens;
    RegisterControlDevice(opens);
    const unsigned before = KSPlatformOpenHandles();
    HANDLE first = DiskAccessControlDevice();
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(DiskAccessControlDevice(), first);
    EXPECT_EQ(DiskAccessControlDevice(), first);
    EXPECT_EQ(opens.dispositions, std::vector<DWORD>{OPEN_EXISTING});
    EXPECT_EQ(KSPlatformOpenHandles(), before + 1);
    CloseDiskAccessControlDevice();
    EXPECT_EQ(KSPlatformOpenHandles(), before);
}

TEST_F(MountUtilsTest, TheControlDeviceIsOpenedWithCreateAlwaysWhenItIsNoExistingDevice)
{
    CloseDiskAccessControlDevice();
    ControlOpens opens;
    opens.refuseExisting = true;
    RegisterControlDevice(opens);
    HANDLE device = DiskAccessControlDevice();
    EXPECT_NE(device, INVALID_HANDLE_VALUE);
    EXPECT_EQ(opens.dispositions, (std::vector<DWORD>{OPEN_EXISTING, CREATE_ALWAYS}));
    EXPECT_EQ(DiskAccessControlDevice(), device);
    EXPECT_EQ(opens.dispositions.size(), 2u) << "once open, never opened again";
    CloseDiskAccessControlDevice();
}

TEST_F(MountUtilsTest, TheControlDeviceIsTriedAgainUntilTheServiceRuns)
{
    CloseDiskAccessControlDevice();
    const unsigned before = KSPlatformOpenHandles();
    KSZedskacsInstall(SERVICE_STOPPED);
    EXPECT_EQ(DiskAccessControlDevice(), INVALID_HANDLE_VALUE) << "the service is stopped";
    EXPECT_EQ(KSPlatformOpenHandles(), before);
    EXPECT_EQ(StartDiskAccessService(), 0u);
    HANDLE device = DiskAccessControlDevice();
    EXPECT_NE(device, INVALID_HANDLE_VALUE);
    EXPECT_EQ(DiskAccessControlDevice(), device);
    CloseDiskAccessControlDevice();
    KSZedskacsRemove();
}

TEST_F(MountUtilsTest, DisksOfTheServiceAreOpenedWhileTheProcessHoldsItsControlDevice)
{
    CloseDiskAccessControlDevice();
    KSZedskacsInstall(SERVICE_RUNNING);
    ControlOpens opens;
    RegisterControlDevice(opens);
    const unsigned before = KSPlatformOpenHandles();
    for (const unsigned disk : {0u, 0u, 5u}) {
        DiskAccessDevice device;
        EXPECT_EQ(device.Open(disk), disk == 0) << disk;
        uint8_t sector[512] = {};
        EXPECT_EQ(device.Read(0, sector, 1), disk == 0) << disk;
    }
    EXPECT_EQ(opens.dispositions, std::vector<DWORD>{OPEN_EXISTING}) << "opened once, by the first disk";
    EXPECT_EQ(KSPlatformOpenHandles(), before + 1) << "the control device alone stays open";
    CloseDiskAccessControlDevice();
    EXPECT_EQ(KSPlatformOpenHandles(), before);
    KSZedskacsRemove();
}

TEST_F(MountUtilsTest, TheControlDeviceIsClosedWhenTheProcessEnds)
{
    int closed[2];
    ASSERT_EQ(pipe(closed), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(closed[0]);
        CloseDiskAccessControlDevice();
        static ControlOpens opens;
        opens.closedFd = closed[1];
        RegisterControlDevice(opens);
        const bool opened = DiskAccessControlDevice() != INVALID_HANDLE_VALUE;
        KSPlatformUnregisterDevice("ZEDSKACS");   // the handle alone keeps the device
        std::exit(opened ? 0 : 1);
    }
    close(closed[1]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    char byte = 0;
    EXPECT_EQ(read(closed[0], &byte, 1), 1) << "the handle was closed at exit";
    close(closed[0]);
}

TEST_F(MountUtilsTest, DiskAccessServiceStartsOnceAndCountsWhenRunning)
{
    EXPECT_EQ(KSResultKind(StartDiskAccessService()), 0x100u) << "no such service";
    KSServiceScript service;
    service.name = "zedskacs";
    KSPlatformAddService(service);
    EXPECT_EQ(StartDiskAccessService(), 0u);
    EXPECT_EQ(StartDiskAccessService(), 0u) << "already running counts as started";
    service.startError = ERROR_ACCESS_DENIED;
    KSPlatformAddService(service);
    EXPECT_EQ(KSResultKind(StartDiskAccessService()), 0x100u);
    KSPlatformSetServiceManagerError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(KSResultKind(StartDiskAccessService()), 0x100u);
    EXPECT_EQ(KSPlatformOpenServiceHandles(), 0u);
}

TEST_F(MountUtilsTest, NoBusDeviceIsAnInvalidHandle)
{
    EXPECT_EQ(OpenBusDevice(true), INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenBusDevice(false), INVALID_HANDLE_VALUE);
}


TEST_F(MountUtilsTest, TheBusIsTheFirstInterfaceOfItsClass)
{
    std::vector<DWORD> opens;
    const auto opener = [&opens](DWORD access, DWORD&) {
        opens.push_back(access);
        return std::make_shared<AnyDevice>();
    };
    // A device of the old name alone is not the bus.
    KSPlatformRegisterDevice("ZeDiskBus", opener);
    EXPECT_EQ(OpenBusDevice(true), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(opens.empty());

    // An interface whose device is gone does not open; the first interface of the
    // class is taken, with the access asked for.
    const GUID busClass = BusInterfaceClass();
    EXPECT_EQ(busClass.Data1, 0xD35F7840u);
    KSPlatformAddDeviceInterface(busClass, "\\\\?\\root#gone#0000#{bus}");
    EXPECT_EQ(OpenBusDevice(true), INVALID_HANDLE_VALUE);
    KSPlatformRemoveDeviceInterface(busClass, "\\\\?\\root#gone#0000#{bus}");
    KSPlatformRegisterDevice("root#system#0000#{bus}", opener);
    KSPlatformAddDeviceInterface(busClass, "\\\\?\\root#system#0000#{bus}");
    KSPlatformAddDeviceInterface(busClass, "\\\\?\\root#gone#0001#{bus}");
    for (const bool writing : {true, false}) {
        HANDLE bus = OpenBusDevice(writing);
        ASSERT_NE(bus, INVALID_HANDLE_VALUE);
        CloseHandle(bus);
    }
    EXPECT_EQ(opens, (std::vector<DWORD>{GENERIC_READ | GENERIC_WRITE, GENERIC_READ}));

    // No device list: no bus.
    KSPlatformSetSetupListError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenBusDevice(true), INVALID_HANDLE_VALUE);
    EXPECT_EQ(KSPlatformOpenSetupLists(), 0u);
    EXPECT_EQ(KSPlatformOpenHandles(), 0u);
}

TEST_F(MountUtilsTest, TheDeviceNodeIsTheFirstPresentOneNamingTheId)
{
    const std::wstring longId(300, L'X');   // a property beyond the first buffer
    const struct {
        std::wstring ids;
        DWORD type;
        bool present;
        bool found;
    } cases[] = {
        {KSSetupMultiString({L"root\\ZeDisk"}), REG_MULTI_SZ, true, true},
        {KSSetupMultiString({longId, L"ROOT\\zedisk"}), REG_MULTI_SZ, true, true},
        {KSSetupMultiString({L"root\\ZeDiskX", L"root\\ZeDis"}), REG_MULTI_SZ, true, false},
        {std::wstring(L"root\\ZeDisk"), REG_MULTI_SZ, true, true},   // the closing NULs missing
        {KSSetupMultiString({L"root\\ZeDisk"}), 1 /* REG_SZ */, true, false},
        {KSSetupMultiString({L"root\\ZeDisk"}), REG_MULTI_SZ, false, false},
        {std::wstring(), REG_MULTI_SZ, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.ids.begin(), c.ids.end()));
        KSPlatformClearSetupDevices();
        KSSetupDevice other;
        other.hardwareIds = KSSetupMultiString({L"PCI\\VEN_8086"});
        KSPlatformAddSetupDevice(other);
        KSSetupDevice device;
        device.hardwareIds = c.ids;
        device.hardwareIdType = c.type;
        device.present = c.present;
        device.instanceId = L"ROOT\\SYSTEM\\0007";
        KSPlatformAddSetupDevice(device);
        SP_DEVINFO_DATA found = {};
        HDEVINFO list = FindDeviceNode(L"root\\ZeDisk", found);
        EXPECT_EQ(list != INVALID_HANDLE_VALUE, c.found);
        if (list == INVALID_HANDLE_VALUE)
            continue;
        wchar_t id[64] = {};
        EXPECT_TRUE(SetupDiGetDeviceInstanceIdW(list, &found, id, 64, nullptr));
        EXPECT_EQ(std::wstring(id), L"ROOT\\SYSTEM\\0007");
        SetupDiDestroyDeviceInfoList(list);
    }
    EXPECT_EQ(KSPlatformOpenSetupLists(), 0u);
}

} // namespace
