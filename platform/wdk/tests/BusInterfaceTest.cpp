// The bus's device interface as user mode finds it: listed under the bus interface
// class while the driver's core has it enabled, its path opening the bus, and gone
// with the driver.
#include "WdkFake.h"

#include "KSPlatformControl.h"
#include "KSPlatformSetup.h"
#include "ZeDiskControl.h"

#include <setupapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

GUID BusClass()
{
    return ZeDiskGuidAs<GUID>(ZEDISK_GUID_BUS_INTERFACE);
}

std::vector<std::string> BusPaths()
{
    const GUID busClass = BusClass();
    std::vector<std::string> paths;
    HDEVINFO list = SetupDiGetClassDevsA(&busClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (list == INVALID_HANDLE_VALUE)
        return paths;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    for (DWORD i = 0; SetupDiEnumDeviceInterfaces(list, nullptr, &busClass, i, &data); ++i) {
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailA(list, &data, nullptr, 0, &needed, nullptr);
        std::vector<BYTE> buffer(needed);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
        detail->cbSize = sizeof *detail;
        if (SetupDiGetDeviceInterfaceDetailA(list, &data, detail, needed, nullptr, nullptr))
            paths.emplace_back(reinterpret_cast<const char*>(buffer.data() +
                                                             offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath)));
    }
    SetupDiDestroyDeviceInfoList(list);
    return paths;
}

TEST(BusInterfaceTest, TheInterfaceIsListedWhileTheCoreHasItEnabled)
{
    KSPlatformReset();
    wdk::Reset();
    wdk::PnpManager& pnp = wdk::PnpManager::Instance();
    EXPECT_TRUE(BusPaths().empty());
    ASSERT_EQ(0, pnp.LoadDriver());
    const std::vector<std::string> paths = BusPaths();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].compare(0, 4, "\\\\?\\"), 0) << paths[0];

    HANDLE bus = CreateFileA(paths[0].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(bus, INVALID_HANDLE_VALUE);
    uint32_t head[4] = {ZEDISK_DISK_LIST_HEAD_SIZE, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    DWORD returned = 0;
    EXPECT_TRUE(DeviceIoControl(bus, IOCTL_ZEDISK_LIST, nullptr, 0, head, sizeof head, &returned, nullptr));
    EXPECT_EQ(head[2], 0u) << "the core's bus answers: no children";
    CloseHandle(bus);

    EXPECT_EQ(0, pnp.UnloadDriver());
    EXPECT_TRUE(BusPaths().empty());
    EXPECT_EQ(CreateFileA(paths[0].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(0, wdk::LiveDevices());
    EXPECT_EQ(KSPlatformOpenSetupLists(), 0u);
    KSPlatformReset();
}

} // namespace
