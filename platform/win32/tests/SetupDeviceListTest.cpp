// The device installer's list: enumeration, the too-small-buffer protocol and
// handle checks.
#include "KSPlatformSetup.h"

#include <setupapi.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

class SetupDeviceListTest : public ::testing::Test {
protected:
    void SetUp() override { KSPlatformClearSetupDevices(); }
    void TearDown() override { KSPlatformClearSetupDevices(); }
};

TEST_F(SetupDeviceListTest, HardwareIdsFollowTheTooSmallBufferProtocol)
{
    KSSetupDevice disk;
    disk.classGuid.Data1 = 0x4D36E967;
    disk.hardwareIds = KSSetupMultiString({L"IDE\\DiskVendor", L"GenDisk"});
    KSPlatformAddSetupDevice(disk);
    KSPlatformAddSetupDevice(KSSetupDevice{}); // a device without hardware ids

    HDEVINFO list = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    ASSERT_NE(list, INVALID_HANDLE_VALUE);
    EXPECT_EQ(KSPlatformOpenSetupLists(), 1u);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    ASSERT_TRUE(SetupDiEnumDeviceInfo(list, 0, &device));
    EXPECT_EQ(device.ClassGuid.Data1, 0x4D36E967u);

    DWORD type = 0, needed = 0;
    BYTE small[8];
    EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(list, &device, SPDRP_HARDWAREID, &type, small, sizeof small, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(needed, disk.hardwareIds.size() * sizeof(wchar_t));
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(SetupDiGetDeviceRegistryPropertyW(list, &device, SPDRP_HARDWAREID, &type, buffer.data(), needed, &needed));
    EXPECT_EQ(type, 7u);
    EXPECT_EQ(std::memcmp(buffer.data(), disk.hardwareIds.data(), needed), 0);

    ASSERT_TRUE(SetupDiEnumDeviceInfo(list, 1, &device));
    EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(list, &device, SPDRP_HARDWAREID, &type, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    EXPECT_FALSE(SetupDiEnumDeviceInfo(list, 2, &device));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);

    ASSERT_TRUE(SetupDiDestroyDeviceInfoList(list));
    EXPECT_EQ(KSPlatformOpenSetupLists(), 0u);
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(list));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(SetupDeviceListTest, OneClassOrAForcedFailure)
{
    KSSetupDevice volume;
    volume.classGuid.Data1 = 0x71A27CDD;
    volume.hardwareIds = KSSetupMultiString({L"STORAGE\\Volume"});
    KSPlatformAddSetupDevice(volume);
    GUID diskClass{};
    diskClass.Data1 = 0x4D36E967;
    HDEVINFO list = SetupDiGetClassDevsW(&diskClass, nullptr, nullptr, DIGCF_PRESENT);
    ASSERT_NE(list, INVALID_HANDLE_VALUE);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    EXPECT_FALSE(SetupDiEnumDeviceInfo(list, 0, &device));
    SetupDiDestroyDeviceInfoList(list);

    KSPlatformSetSetupListError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

} // namespace
