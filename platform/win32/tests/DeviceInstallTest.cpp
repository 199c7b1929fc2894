// Creating, registering, installing and removing devices, an information file's
// class, and failures a test sets for one call.
#include "KSPlatformControl.h"
#include "KSPlatformSetup.h"

#include <cfgmgr32.h>
#include <newdev.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const GUID kSystemClass = {0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kDiskClass = {0x4D36E967, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

const char kBusInf[] = "; a bus driver package\r\n"
                       "[Version]\r\n"
                       "Signature=\"$WINDOWS NT$\"\r\n"
                       "Class = %ClassName% ; the class\r\n"
                       "ClassGuid={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\n"
                       "[Models.NTamd64]\r\n"
                       "%BusName%=BusInstall,\\\r\n"
                       "  root\\TestBus\r\n"
                       "[Strings]\r\n"
                       "ClassName=\"System\"\r\n"
                       "BusName=\"Test bus; with a semicolon\"\r\n";

class DeviceInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        root_ = fs::path(::testing::TempDir()) / ("device-install-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        KSDriveEntry drive;
        drive.letter = 'C';
        drive.hostFolder = root_.string();
        KSPlatformAddDrive(drive);
        Write("bus.inf", std::string(kBusInf));
    }
    void TearDown() override
    {
        EXPECT_EQ(KSPlatformOpenSetupLists(), 0u);
        KSPlatformReset();
        fs::remove_all(root_);
    }
    void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(root_ / name, std::ios::binary) << bytes;
    }
    static std::wstring HardwareIds() { return KSSetupMultiString({L"root\\TestBus"}); }

    // A new element of the system class with a generated id and the bus's hardware id.
    static HDEVINFO NewElement(SP_DEVINFO_DATA& device)
    {
        HDEVINFO list = SetupDiCreateDeviceInfoList(&kSystemClass, nullptr);
        EXPECT_NE(list, INVALID_HANDLE_VALUE);
        device = SP_DEVINFO_DATA{};
        device.cbSize = sizeof device;
        EXPECT_TRUE(SetupDiCreateDeviceInfoW(list, L"System", &kSystemClass, nullptr, nullptr, DICD_GENERATE_ID,
                                             &device));
        const std::wstring ids = HardwareIds();
        EXPECT_TRUE(SetupDiSetDeviceRegistryPropertyW(list, &device, SPDRP_HARDWAREID,
                                                      reinterpret_cast<const BYTE*>(ids.data()),
                                                      static_cast<DWORD>(ids.size() * sizeof(wchar_t))));
        return list;
    }

    fs::path root_;
};

TEST_F(DeviceInstallTest, AnInformationFileGivesItsClass)
{
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[version]\nsignature=$Chicago$\nclass=DiskDrive\n"
                              "classguid={4d36e967-e325-11ce-bfc1-08002be10318}\n"))
        utf16 += std::string(1, c) + '\0';
    Write("disk.inf", utf16);
    Write("nosig.inf", "[Version]\nClass=System\n");
    Write("noclass.inf", "[Version]\nSignature=\"$Windows NT$\"\nProvider=x\n");
    Write("badguid.inf", "[Version]\nSignature=\"$Windows NT$\"\nClass=System\nClassGuid={4D36E97D-E325}\n");
    Write("guidonly.inf", "[Version]\nSignature=\"$Windows NT$\"\nClassGuid={4D36E967-E325-11CE-BFC1-08002BE10318}\n");
    Write("noversion.inf", "[Strings]\nSignature=\"$Windows NT$\"\nClass=System\n");
    const struct {
        const wchar_t* inf;
        DWORD error;   // ERROR_SUCCESS: read
        const wchar_t* name;
        const GUID* guid;
    } cases[] = {
        {L"C:\\bus.inf", ERROR_SUCCESS, L"System", &kSystemClass},
        {L"C:\\disk.inf", ERROR_SUCCESS, L"DiskDrive", &kDiskClass},
        {L"C:\\guidonly.inf", ERROR_SUCCESS, L"", &kDiskClass},
        {L"C:\\missing.inf", ERROR_FILE_NOT_FOUND, nullptr, nullptr},
        {L"C:\\nosig.inf", ERROR_WRONG_INF_STYLE, nullptr, nullptr},
        {L"C:\\noversion.inf", ERROR_WRONG_INF_STYLE, nullptr, nullptr},
        {L"C:\\noclass.inf", ERROR_NO_ASSOCIATED_CLASS, nullptr, nullptr},
        {L"C:\\badguid.inf", ERROR_INVALID_CLASS, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        GUID guid{};
        WCHAR name[MAX_CLASS_NAME_LEN] = {};
        DWORD required = 0;
        const BOOL read = SetupDiGetINFClassW(c.inf, &guid, name, MAX_CLASS_NAME_LEN, &required);
        if (c.error != ERROR_SUCCESS) {
            EXPECT_FALSE(read) << c.inf;
            EXPECT_EQ(GetLastError(), c.error) << c.inf;
            continue;
        }
        ASSERT_TRUE(read) << c.inf << " " << GetLastError();
        EXPECT_EQ(std::wstring(name), c.name);
        EXPECT_TRUE(IsEqualGUID(guid, *c.guid)) << c.inf;
        EXPECT_EQ(required, std::wcslen(c.name) + 1);
    }
    // A name buffer too small: the size needed.
    GUID guid{};
    WCHAR small[3];
    DWORD required = 0;
    EXPECT_FALSE(SetupDiGetINFClassW(L"C:\\bus.inf", &guid, small, 3, &required));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(required, 7u);
}

TEST_F(DeviceInstallTest, ARegisteredElementGetsItsDriverFromTheUpdate)
{
    SP_DEVINFO_DATA device;
    HDEVINFO list = NewElement(device);
    WCHAR id[MAX_DEVICE_ID_LEN];
    ASSERT_TRUE(SetupDiGetDeviceInstanceIdW(list, &device, id, MAX_DEVICE_ID_LEN, nullptr));
    EXPECT_EQ(std::wstring(id), L"ROOT\\SYSTEM\\0000");
    EXPECT_TRUE(KSPlatformSetupDevices().empty()) << "not registered yet";
    BOOL reboot = TRUE;
    EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesW(nullptr, L"root\\TestBus", L"C:\\bus.inf", INSTALLFLAG_FORCE,
                                                    &reboot));
    EXPECT_EQ(GetLastError(), ERROR_NO_SUCH_DEVINST);

    ASSERT_TRUE(SetupDiCallClassInstaller(DIF_REGISTERDEVICE, list, &device));
    ASSERT_EQ(KSPlatformSetupDevices().size(), 1u);
    ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesW(nullptr, L"ROOT\\testbus", L"C:\\bus.inf", INSTALLFLAG_FORCE,
                                                   &reboot));
    EXPECT_FALSE(reboot);
    const std::vector<KSSetupDevice> devices = KSPlatformSetupDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].instanceId, L"ROOT\\SYSTEM\\0000");
    EXPECT_EQ(devices[0].driverInf, L"C:\\bus.inf");
    EXPECT_TRUE(IsEqualGUID(devices[0].classGuid, kSystemClass));
    ASSERT_EQ(KSPlatformDriverInstalls().size(), 1u);
    EXPECT_EQ(KSPlatformDriverInstalls()[0].how, "update");

    // The same driver again: only when forced; a restart asked for is told.
    EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesW(nullptr, L"root\\TestBus", L"C:\\bus.inf", 0, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
    KSPlatformSetSetupRestartNeeded(true);
    ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesW(nullptr, L"root\\TestBus", L"C:\\bus.inf", INSTALLFLAG_FORCE,
                                                   &reboot));
    EXPECT_TRUE(reboot);
    ASSERT_TRUE(SetupDiDestroyDeviceInfoList(list));
    EXPECT_EQ(KSPlatformSetupDevices().size(), 1u) << "a registered device outlives the list";

    // The next generated id takes the next number; the node is found by its id.
    SP_DEVINFO_DATA second;
    list = NewElement(second);
    ASSERT_TRUE(SetupDiGetDeviceInstanceIdW(list, &second, id, MAX_DEVICE_ID_LEN, nullptr));
    EXPECT_EQ(std::wstring(id), L"ROOT\\SYSTEM\\0001");
    DEVINST node = 0;
    EXPECT_EQ(CM_Locate_DevNodeW(&node, const_cast<WCHAR*>(L"root\\system\\0000"), CM_LOCATE_DEVNODE_NORMAL),
              CR_SUCCESS);
    EXPECT_NE(node, 0u);
    EXPECT_EQ(CM_Locate_DevNodeW(&node, id, CM_LOCATE_DEVNODE_NORMAL), CR_NO_SUCH_DEVNODE) << "not registered";
    ASSERT_TRUE(SetupDiDestroyDeviceInfoList(list));
    EXPECT_EQ(KSPlatformSetupDevices().size(), 1u) << "the unregistered element went with its list";
}

TEST_F(DeviceInstallTest, TheUpdateRefusesWhatItCannotInstall)
{
    Write("other.inf", "[Version]\nSignature=\"$Windows NT$\"\nClass=System\n[Models]\nx=y,root\\Other\n");
    KSSetupDevice bus;
    bus.classGuid = kSystemClass;
    bus.hardwareIds = HardwareIds();
    KSPlatformAddSetupDevice(bus);
    KSSetupDevice absent = bus;
    absent.present = false;
    absent.hardwareIds = KSSetupMultiString({L"root\\Absent"});
    KSPlatformAddSetupDevice(absent);
    Write("absent.inf", "[Version]\nSignature=\"$Windows NT$\"\nClass=System\n[Models]\nx=y,root\\Absent\n");
    const struct {
        const wchar_t* id;
        const wchar_t* inf;
        DWORD flags;
        bool wow64;
        DWORD error;
    } cases[] = {
        {L"root\\TestBus", L"C:\\missing.inf", INSTALLFLAG_FORCE, false, ERROR_FILE_NOT_FOUND},
        {L"root\\TestBus", L"C:\\other.inf", INSTALLFLAG_FORCE, false, ERROR_NO_COMPAT_DRIVERS},
        {L"root\\Absent", L"C:\\absent.inf", INSTALLFLAG_FORCE, false, ERROR_NO_SUCH_DEVINST},
        {L"root\\TestBus", L"C:\\bus.inf", 0x100, false, ERROR_INVALID_FLAGS},
        {L"", L"C:\\bus.inf", INSTALLFLAG_FORCE, false, ERROR_INVALID_PARAMETER},
        {L"root\\TestBus", L"C:\\bus.inf", INSTALLFLAG_FORCE, true, ERROR_IN_WOW64},
    };
    for (const auto& c : cases) {
        KSPlatformSetWow64(c.wow64);
        EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesW(nullptr, c.id, c.inf, c.flags, nullptr)) << c.inf;
        EXPECT_EQ(GetLastError(), c.error) << c.inf;
    }
    EXPECT_TRUE(KSPlatformDriverInstalls().empty());
}

TEST_F(DeviceInstallTest, TheSecondWaySelectsTheFilesDriverAndInstallsIt)
{
    SP_DEVINFO_DATA device;
    HDEVINFO list = NewElement(device);
    ASSERT_TRUE(SetupDiRegisterDeviceInfo(list, &device, 0, nullptr, nullptr, nullptr));
    EXPECT_FALSE(SetupDiInstallDevice(list, &device));
    EXPECT_EQ(GetLastError(), ERROR_NO_DRIVER_SELECTED);

    SP_DEVINSTALL_PARAMS_W params{};
    params.cbSize = sizeof params - 1;
    EXPECT_FALSE(SetupDiGetDeviceInstallParamsW(list, &device, &params));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_USER_BUFFER);
    params.cbSize = sizeof params;
    ASSERT_TRUE(SetupDiGetDeviceInstallParamsW(list, &device, &params));
    // Without the one-file flag no driver is found.
    ASSERT_TRUE(SetupDiBuildDriverInfoList(list, &device, SPDIT_COMPATDRIVER));
    EXPECT_FALSE(SetupDiSelectBestCompatDrv(list, &device));
    EXPECT_EQ(GetLastError(), ERROR_NO_COMPAT_DRIVERS);

    params.Flags |= DI_ENUMSINGLEINF;
    std::wcscpy(params.DriverPath, L"C:\\bus.inf");
    ASSERT_TRUE(SetupDiSetDeviceInstallParamsW(list, &device, &params));
    ASSERT_TRUE(SetupDiBuildDriverInfoList(list, &device, SPDIT_COMPATDRIVER));
    ASSERT_TRUE(SetupDiSetSelectedDevice(list, &device));
    ASSERT_TRUE(SetupDiSelectBestCompatDrv(list, &device));
    KSPlatformSetSetupRestartNeeded(true);
    ASSERT_TRUE(SetupDiInstallDevice(list, &device));
    ASSERT_TRUE(SetupDiGetDeviceInstallParamsW(list, &device, &params));
    EXPECT_EQ(params.Flags & (DI_NEEDRESTART | DI_NEEDREBOOT), static_cast<DWORD>(DI_NEEDREBOOT));
    ASSERT_EQ(KSPlatformDriverInstalls().size(), 1u);
    EXPECT_EQ(KSPlatformDriverInstalls()[0].how, "install");
    EXPECT_EQ(KSPlatformSetupDevices()[0].driverInf, L"C:\\bus.inf");
    SetupDiDestroyDeviceInfoList(list);
}

TEST_F(DeviceInstallTest, ARemovedDeviceIsGoneAndItsParametersTellOfTheRestart)
{
    KSSetupDevice bus;
    bus.classGuid = kSystemClass;
    bus.hardwareIds = HardwareIds();
    bus.instanceId = L"ROOT\\SYSTEM\\0003";
    KSPlatformAddSetupDevice(bus);
    for (const bool restart : {false, true}) {
        SCOPED_TRACE(restart);
        if (restart)
            KSPlatformAddSetupDevice(bus);
        KSPlatformSetSetupRestartNeeded(restart);
        HDEVINFO list = SetupDiCreateDeviceInfoList(nullptr, nullptr);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        ASSERT_TRUE(SetupDiOpenDeviceInfoW(list, L"root\\system\\0003", nullptr, 0, &device));
        ASSERT_TRUE(SetupDiRemoveDevice(list, &device));
        EXPECT_TRUE(KSPlatformSetupDevices().empty());
        SP_DEVINSTALL_PARAMS_W params{};
        params.cbSize = sizeof params;
        ASSERT_TRUE(SetupDiGetDeviceInstallParamsW(list, &device, &params));
        EXPECT_EQ((params.Flags & DI_NEEDREBOOT) != 0, restart);
        DWORD type = 0, size = 0;
        BYTE buffer[64];
        EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(list, &device, SPDRP_HARDWAREID, &type, buffer, sizeof buffer,
                                                       &size));
        EXPECT_EQ(GetLastError(), ERROR_NO_SUCH_DEVINST);
        EXPECT_FALSE(SetupDiRemoveDevice(list, &device));
        EXPECT_FALSE(SetupDiOpenDeviceInfoW(list, L"ROOT\\SYSTEM\\0003", nullptr, 0, &device));
        EXPECT_EQ(GetLastError(), ERROR_NO_SUCH_DEVINST);
        SetupDiDestroyDeviceInfoList(list);
    }
}

TEST_F(DeviceInstallTest, AFailureSetForACallFallsOnItsNthCallOnly)
{
    const struct {
        const char* call;
        unsigned nth;
    } cases[] = {{"SetupDiCreateDeviceInfoW", 1}, {"SetupDiSetDeviceRegistryPropertyW", 1},
                 {"SetupDiCallClassInstaller", 2}, {"SetupDiCreateDeviceInfoList", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        KSPlatformFailSetupCall(c.call, ERROR_ACCESS_DENIED, c.nth);
        bool failed = false;
        for (unsigned round = 0; round < c.nth + 1; ++round) {
            HDEVINFO list = SetupDiCreateDeviceInfoList(&kSystemClass, nullptr);
            SP_DEVINFO_DATA device{};
            device.cbSize = sizeof device;
            const std::wstring ids = HardwareIds();
            const bool done =
                list != INVALID_HANDLE_VALUE &&
                SetupDiCreateDeviceInfoW(list, L"System", &kSystemClass, nullptr, nullptr, DICD_GENERATE_ID,
                                         &device) &&
                SetupDiSetDeviceRegistryPropertyW(list, &device, SPDRP_HARDWAREID,
                                                  reinterpret_cast<const BYTE*>(ids.data()),
                                                  static_cast<DWORD>(ids.size() * sizeof(wchar_t))) &&
                SetupDiCallClassInstaller(DIF_REGISTERDEVICE, list, &device);
            if (!done) {
                EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
                EXPECT_EQ(round + 1, c.nth) << "failed on the wrong call";
                failed = true;
            }
            if (list != INVALID_HANDLE_VALUE)
                SetupDiDestroyDeviceInfoList(list);
        }
        EXPECT_TRUE(failed);
        EXPECT_EQ(KSPlatformSetupDevices().size(), c.nth) << "every other round registered its device";
        KSPlatformClearSetupDevices();
    }
}

} // namespace
