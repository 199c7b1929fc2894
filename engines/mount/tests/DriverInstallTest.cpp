// Installing and removing the bus driver over the platform layer's device installer,
// with the driver's own package file: both in-process ways, a failure set at each of
// their steps, restarts, pending installs, and the 64-bit way through Inst.
#include "IKSMount.h"

#include "KSPlatformControl.h"
#include "KSPlatformSetup.h"
#include "KSResult.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const GUID kSystemClass = {0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

class DriverInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        KSPlatformSetClock(&clock_);
        root_ = fs::path(::testing::TempDir()) / ("palmet-driver-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "pkg");
        fs::copy_file(DRIVER_PACKAGE_INF, root_ / "pkg" / "zedisk.inf");
        KSDriveEntry drive;
        drive.letter = 'C';
        drive.hostFolder = root_.string();
        KSPlatformAddDrive(drive);
        void* object = nullptr;
        ASSERT_EQ(KSCreateObjectMount(0x10000, KS_MOUNT_KIND, &object), 0u);
        mount_ = static_cast<IKSMount*>(object);
        handles_ = KSPlatformOpenHandles();
        heapBlocks_ = KSPlatformLiveHeapBlocks();
    }
    void TearDown() override
    {
        mount_->Release();
        EXPECT_EQ(KSPlatformOpenSetupLists(), 0u);
        EXPECT_EQ(KSPlatformOpenHandles(), handles_);
        EXPECT_EQ(KSPlatformLiveHeapBlocks(), heapBlocks_) << "every buffer of the module heap given back";
        KSPlatformReset();
        fs::remove_all(root_);
    }
    // The bus devices of the machine: those with the bus's hardware id.
    static std::vector<KSSetupDevice> BusDevices()
    {
        std::vector<KSSetupDevice> found;
        for (const KSSetupDevice& device : KSPlatformSetupDevices())
            if (device.hardwareIds == KSSetupMultiString({L"root\\ZeDisk"}))
                found.push_back(device);
        return found;
    }
    static std::vector<std::string> Installs()
    {
        std::vector<std::string> hows;
        for (const KSDriverInstall& install : KSPlatformDriverInstalls())
            hows.push_back(install.how);
        return hows;
    }

    KSFakeClock clock_;
    fs::path root_;
    IKSMount* mount_ = nullptr;
    unsigned handles_ = 0;
    unsigned heapBlocks_ = 0;
};

TEST_F(DriverInstallTest, InstallMakesOneBusDeviceWithThePackagesDriverAndRemoveTakesItAway)
{
    ASSERT_EQ(mount_->InstallDriver(L"C:\\pkg", 0x1234), 0u);
    std::vector<KSSetupDevice> devices = BusDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].instanceId, L"ROOT\\SYSTEM\\0000");
    EXPECT_TRUE(IsEqualGUID(devices[0].classGuid, kSystemClass)) << "the class the package names";
    EXPECT_EQ(devices[0].driverInf, L"C:\\pkg\\zedisk.inf");
    EXPECT_EQ(Installs(), std::vector<std::string>{"update"}) << "the class installer's way";
    EXPECT_EQ(clock_.Slept(), 0u) << "nothing pending, no waits";

    // Installing again replaces the device rather than adding a second bus.
    ASSERT_EQ(mount_->InstallDriver(L"C:\\pkg\\", 0), 0u);
    EXPECT_EQ(BusDevices().size(), 1u);

    EXPECT_EQ(mount_->RemoveDriver(L"C:\\pkg"), 0u);
    EXPECT_TRUE(BusDevices().empty());
    const unsigned long again = mount_->RemoveDriver(L"C:\\pkg");
    EXPECT_EQ(KSResultKind(again), 0x100u) << "no device node";
    EXPECT_EQ(KSResultModule(again), 6u);

    EXPECT_EQ(KSResultKind(mount_->InstallDriver(nullptr, 0)), 0x009u);
    EXPECT_EQ(KSResultKind(mount_->RemoveDriver(nullptr)), 0x009u);
}

TEST_F(DriverInstallTest, TheModuleHeapHoldsTheBuffersAndItsFailureIsNoMemory)
{
    EXPECT_GE(KSPlatformLiveHeaps(), 1u) << "the module's heap, made as it was loaded";
    // Without a buffer the removal removes nothing and says so.
    ASSERT_EQ(mount_->InstallDriver(L"C:\\pkg", 0), 0u);
    KSPlatformFailSetupCall("HeapAlloc", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(KSResultKind(mount_->RemoveDriver(L"C:\\pkg")), 0x008u);
    EXPECT_EQ(BusDevices().size(), 1u);
    // The first way without a buffer gives way to the second.
    KSPlatformClearSetupDevices();
    KSPlatformFailSetupCall("HeapAlloc", ERROR_NOT_ENOUGH_MEMORY);   // no device to remove: the first way's
    EXPECT_EQ(mount_->InstallDriver(L"C:\\pkg", 0), 0u);
    EXPECT_EQ(Installs(), (std::vector<std::string>{"install", "update"}));
}

TEST_F(DriverInstallTest, AFailingStepOfTheFirstWayFallsOverToTheSecond)
{
    const char* steps[] = {"SetupDiCreateDeviceInfoList", "SetupDiCreateDeviceInfoW",
                           "SetupDiSetDeviceRegistryPropertyW", "SetupDiCallClassInstaller",
                           "UpdateDriverForPlugAndPlayDevicesW"};
    for (const char* step : steps) {
        SCOPED_TRACE(step);
        KSPlatformClearSetupDevices();
        KSPlatformFailSetupCall(step, ERROR_ACCESS_DENIED);
        ASSERT_EQ(mount_->InstallDriver(L"C:\\pkg", 0), 0u);
        const std::vector<KSSetupDevice> devices = BusDevices();
        ASSERT_EQ(devices.size(), 1u) << "the first way's device was removed";
        EXPECT_EQ(devices[0].driverInf, L"C:\\pkg\\zedisk.inf");
        const std::vector<std::string> installs = Installs();
        ASSERT_FALSE(installs.empty());
        EXPECT_EQ(installs.back(), "update");
        EXPECT_EQ(installs.end()[-2], "install") << "the step-by-step way installed the device";
    }
}

TEST_F(DriverInstallTest, WhenBothWaysFailNothingIsLeftInstalled)
{
    // The first way fails at its registration; then each step of the second way.
    const struct {
        const char* step;
        unsigned nth;
    } steps[] = {
        {"SetupDiCreateDeviceInfoW", 2},       {"SetupDiSetDeviceRegistryPropertyW", 2},
        {"SetupDiRegisterDeviceInfo", 1},      {"SetupDiGetDeviceInstallParamsW", 1},
        {"SetupDiSetDeviceInstallParamsW", 1}, {"SetupDiBuildDriverInfoList", 1},
        {"SetupDiSetSelectedDevice", 1},       {"SetupDiSelectBestCompatDrv", 1},
        {"SetupDiInstallDevice", 1},           {"UpdateDriverForPlugAndPlayDevicesW", 1},
    };
    for (const auto& c : steps) {
        SCOPED_TRACE(c.step);
        KSPlatformClearSetupDevices();
        KSPlatformFailSetupCall("SetupDiCallClassInstaller", ERROR_ACCESS_DENIED);
        KSPlatformFailSetupCall(c.step, ERROR_GEN_FAILURE, c.nth);
        const unsigned long rc = mount_->InstallDriver(L"C:\\pkg", 0);
        EXPECT_EQ(KSResultKind(rc), 0x100u);
        EXPECT_EQ(KSResultModule(rc), 6u);
        EXPECT_TRUE(KSPlatformSetupDevices().empty()) << "no device half-installed";
    }
}

TEST_F(DriverInstallTest, APackageThatCannotBeReadInstallsNothing)
{
    fs::create_directories(root_ / "broken");
    std::ofstream(root_ / "broken" / "zedisk.inf") << "[Version]\nSignature=\"$Windows NT$\"\n";
    for (const wchar_t* folder : {L"C:\\none", L"C:\\broken"}) {
        EXPECT_EQ(KSResultKind(mount_->InstallDriver(folder, 0)), 0x100u);
        EXPECT_TRUE(KSPlatformSetupDevices().empty());
    }
    // A package whose models do not name the bus: the device of each way goes again.
    fs::create_directories(root_ / "other");
    std::ofstream(root_ / "other" / "zedisk.inf")
        << "[Version]\nSignature=\"$Windows NT$\"\nClass=System\nClassGuid={4D36E97D-E325-11CE-BFC1-08002BE10318}\n";
    EXPECT_EQ(KSResultKind(mount_->InstallDriver(L"C:\\other", 0)), 0x100u);
    EXPECT_TRUE(KSPlatformSetupDevices().empty());
}

TEST_F(DriverInstallTest, ARestartIsTheAnswerOfBothInstallAndRemove)
{
    KSPlatformSetSetupRestartNeeded(true);
    const unsigned long installed = mount_->InstallDriver(L"C:\\pkg", 0);
    EXPECT_EQ(KSResultKind(installed), 0x05Fu);
    EXPECT_EQ(BusDevices().size(), 1u) << "the driver stays, waiting for the restart";
    EXPECT_EQ(Installs(), std::vector<std::string>{"update"}) << "a restart is final: no second way";

    // The second way's own install asks for the restart too.
    KSPlatformClearSetupDevices();
    KSPlatformSetSetupRestartNeeded(true);
    KSPlatformFailSetupCall("SetupDiCallClassInstaller", ERROR_ACCESS_DENIED);
    EXPECT_EQ(KSResultKind(mount_->InstallDriver(L"C:\\pkg", 0)), 0x05Fu);
    EXPECT_EQ(BusDevices().size(), 1u);

    EXPECT_EQ(KSResultKind(mount_->RemoveDriver(L"C:\\pkg")), 0x05Fu);
    EXPECT_TRUE(BusDevices().empty());
}

TEST_F(DriverInstallTest, PendingInstallsAreWaitedForThenRefused)
{
    KSPlatformSetPendingInstalls(kKSInstallsAlwaysPending);
    const unsigned long removed = mount_->RemoveDriver(L"C:\\pkg");
    EXPECT_EQ(KSResultKind(removed), 0x007u);
    EXPECT_EQ(clock_.Slept(), 10u * 500u);
    const uint64_t before = clock_.Slept();
    EXPECT_EQ(KSResultKind(mount_->InstallDriver(L"C:\\pkg", 0)), 0x007u);
    EXPECT_EQ(clock_.Slept() - before, (10u + 200u) * 500u) << "the removal's wait, then the install's";
    EXPECT_TRUE(KSPlatformSetupDevices().empty());

    // Installs that end in time: the install goes ahead once they have.
    KSPlatformSetPendingInstalls(3);
    EXPECT_EQ(mount_->InstallDriver(L"C:\\pkg", 0), 0u);
    EXPECT_EQ(BusDevices().size(), 1u);

    // Without the wait call there is no waiting.
    KSPlatformClearSetupDevices();
    KSPlatformHideProcedure("setupapi.dll", "CMP_WaitNoPendingInstallEvents");
    KSPlatformSetPendingInstalls(kKSInstallsAlwaysPending);
    EXPECT_EQ(mount_->InstallDriver(L"C:\\pkg", 0), 0u);
    EXPECT_EQ(KSPlatformPendingInstallWaits(), 0u);
}

TEST_F(DriverInstallTest, RemoveFindsThePresentBusDeviceOfAnyClass)
{
    KSSetupDevice other;
    other.hardwareIds = KSSetupMultiString({L"PCI\\VEN_1234", L"ROOT\\ZEDISK"});
    other.classGuid.Data1 = 0x12345678;
    other.instanceId = L"ROOT\\UNKNOWN\\0000";
    KSSetupDevice absent = other;
    absent.present = false;
    absent.instanceId = L"ROOT\\UNKNOWN\\0001";
    KSPlatformAddSetupDevice(absent);
    KSPlatformAddSetupDevice(other);
    EXPECT_EQ(mount_->RemoveDriver(L"C:\\pkg"), 0u);
    std::vector<KSSetupDevice> left = KSPlatformSetupDevices();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].instanceId, L"ROOT\\UNKNOWN\\0001") << "an absent device is not the bus";

    // Each removal step that fails is the install failure; a device that would not go
    // stays where it was.
    KSPlatformAddSetupDevice(other);
    const struct {
        const char* step;
        size_t left;
    } steps[] = {{"SetupDiGetINFClassW", 2}, {"SetupDiGetClassDevsW", 2}, {"SetupDiRemoveDevice", 2},
                 {"SetupDiGetDeviceInstallParamsW", 1}};
    for (const auto& c : steps) {
        SCOPED_TRACE(c.step);
        KSPlatformFailSetupCall(c.step, ERROR_ACCESS_DENIED);
        EXPECT_EQ(KSResultKind(mount_->RemoveDriver(L"C:\\pkg")), 0x100u);
        EXPECT_EQ(KSPlatformSetupDevices().size(), c.left);
    }
    EXPECT_EQ(KSResultKind(mount_->RemoveDriver(L"C:\\none")), 0x100u) << "no package";
}

#ifdef INST_PROGRAM_FOLDER
TEST_F(DriverInstallTest, On64BitWindowsTheInstallerBesideTheProgramInstalls)
{
    // The running program sits in the build's bin/, where x64/Inst is.
    KSDriveEntry bin;
    bin.letter = 'B';
    bin.hostFolder = INST_PROGRAM_FOLDER;
    KSPlatformAddDrive(bin);
    KSPlatformSetModuleFileName("B:\\Loader.exe");
    KSPlatformSetWow64(true);
    EXPECT_EQ(mount_->InstallDriver(L"C:\\pkg", 7), 0u);
    EXPECT_TRUE(Installs().empty()) << "Inst installed in a process of its own";
    const unsigned long missing = mount_->InstallDriver(L"C:\\none", 7);
    EXPECT_NE(KSResultKind(missing), 0u) << "Inst's failure is no success";
    EXPECT_EQ(missing, 255u) << "a Linux exit status: the failure's kind cut to a byte";
    KSPlatformSetModuleFileName(std::string());
}
#endif

} // namespace
