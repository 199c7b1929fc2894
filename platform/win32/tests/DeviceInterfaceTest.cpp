// Device interfaces: listed under their class, their paths by the too-small-buffer
// protocol in both character widths, and opened by CreateFile.
#include "KSPlatformControl.h"
#include "KSPlatformSetup.h"

#include <setupapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

const GUID kBusClass = {0xD35F7840, 0x6A0C, 0x11D2, {0xB8, 0x41, 0x00, 0xC0, 0x4F, 0xAD, 0x51, 0x79}};
const GUID kOtherClass = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

class DeviceInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override { KSPlatformReset(); }
    void TearDown() override
    {
        EXPECT_EQ(KSPlatformOpenSetupLists(), 0u);
        KSPlatformReset();
    }
};

// The paths of the class's interfaces, read the way callers do.
std::vector<std::string> InterfacePathsA(const GUID& interfaceClass)
{
    std::vector<std::string> paths;
    HDEVINFO list = SetupDiGetClassDevsA(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (list == INVALID_HANDLE_VALUE)
        return paths;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    for (DWORD i = 0; SetupDiEnumDeviceInterfaces(list, nullptr, &interfaceClass, i, &data); ++i) {
        DWORD needed = 0;
        EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailA(list, &data, nullptr, 0, &needed, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        std::vector<BYTE> buffer(needed);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
        detail->cbSize = sizeof *detail;
        EXPECT_TRUE(SetupDiGetDeviceInterfaceDetailA(list, &data, detail, needed, nullptr, nullptr));
        paths.emplace_back(reinterpret_cast<const char*>(buffer.data() + offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A,
                                                                                 DevicePath)));
    }
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
    SetupDiDestroyDeviceInfoList(list);
    return paths;
}

TEST_F(DeviceInterfaceTest, InterfacesAreListedUnderTheirClassUntilRemoved)
{
    EXPECT_TRUE(InterfacePathsA(kBusClass).empty());
    KSPlatformAddDeviceInterface(kBusClass, "\\\\?\\root#bus#0000#{a}");
    KSPlatformAddDeviceInterface(kOtherClass, "\\\\?\\ide#disk#1#{b}");
    KSPlatformAddDeviceInterface(kBusClass, "\\\\?\\root#bus#0001#{a}");
    KSPlatformAddDeviceInterface(kBusClass, "\\\\?\\root#bus#0000#{a}");   // again: no second entry
    EXPECT_EQ(InterfacePathsA(kBusClass),
              (std::vector<std::string>{"\\\\?\\root#bus#0000#{a}", "\\\\?\\root#bus#0001#{a}"}));
    EXPECT_EQ(InterfacePathsA(kOtherClass), std::vector<std::string>{"\\\\?\\ide#disk#1#{b}"});

    // A list is a snapshot: an interface that goes later is still in it.
    HDEVINFO list = SetupDiGetClassDevsA(&kBusClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    ASSERT_NE(list, INVALID_HANDLE_VALUE);
    KSPlatformRemoveDeviceInterface(kBusClass, "\\\\?\\root#bus#0000#{a}");
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    EXPECT_TRUE(SetupDiEnumDeviceInterfaces(list, nullptr, &kBusClass, 1, &data));
    EXPECT_EQ(data.Flags, static_cast<DWORD>(SPINT_ACTIVE));
    EXPECT_TRUE(IsEqualGUID(data.InterfaceClassGuid, kBusClass));
    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(list, nullptr, &kOtherClass, 0, &data)) << "not of this list";
    SetupDiDestroyDeviceInfoList(list);
    EXPECT_EQ(InterfacePathsA(kBusClass), std::vector<std::string>{"\\\\?\\root#bus#0001#{a}"});
}

TEST_F(DeviceInterfaceTest, TheDetailIsRefusedForABadRecordOrBuffer)
{
    const std::string path = "\\\\?\\root#bus#0000#{d35f7840}";
    KSPlatformAddDeviceInterface(kBusClass, path);
    HDEVINFO list = SetupDiGetClassDevsW(&kBusClass, nullptr, nullptr, DIGCF_DEVICEINTERFACE);
    ASSERT_NE(list, INVALID_HANDLE_VALUE);
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data - 1;
    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(list, nullptr, &kBusClass, 0, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    data.cbSize = sizeof data;
    ASSERT_TRUE(SetupDiEnumDeviceInterfaces(list, nullptr, &kBusClass, 0, &data));

    const DWORD needed = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                            (path.size() + 1) * sizeof(WCHAR));
    std::vector<BYTE> buffer(needed + 16, 0xCC);
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(buffer.data());
    DWORD required = 0;
    const struct {
        DWORD cbSize;
        DWORD size;
        DWORD error;
    } refusals[] = {
        {sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W), needed - 1, ERROR_INSUFFICIENT_BUFFER},
        {sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) + 4, needed, ERROR_INVALID_USER_BUFFER},
        {1, needed, ERROR_INVALID_USER_BUFFER},
    };
    for (const auto& c : refusals) {
        detail->cbSize = c.cbSize;
        EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailW(list, &data, detail, c.size, &required, nullptr)) << c.cbSize;
        EXPECT_EQ(GetLastError(), c.error) << c.cbSize;
        EXPECT_EQ(required, needed);
    }
    EXPECT_EQ(buffer[needed], 0xCC) << "nothing written past the buffer";
    detail->cbSize = sizeof *detail;
    ASSERT_TRUE(SetupDiGetDeviceInterfaceDetailW(list, &data, detail, needed, nullptr, nullptr));
    const auto* wide = reinterpret_cast<const WCHAR*>(buffer.data() + offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W,
                                                                               DevicePath));
    EXPECT_EQ(std::wstring(wide), std::wstring(path.begin(), path.end()));
    EXPECT_EQ(buffer[needed], 0xCC);

    SetupDiDestroyDeviceInfoList(list);
    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(list, nullptr, &kBusClass, 0, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

class NamedDevice : public KSDevice {
public:
    DWORD Read(uint64_t, void*, DWORD, DWORD& done) override { return done = 0, ERROR_SUCCESS; }
    DWORD Write(uint64_t, const void*, DWORD, DWORD& done) override { return done = 0, ERROR_SUCCESS; }
    DWORD Control(DWORD code, const void*, DWORD, void* out, DWORD outSize, DWORD& returned) override
    {
        if (outSize < sizeof code)
            return ERROR_INSUFFICIENT_BUFFER;
        std::memcpy(out, &code, sizeof code);
        returned = sizeof code;
        return ERROR_SUCCESS;
    }
    uint64_t Size() const override { return 0; }
};

TEST_F(DeviceInterfaceTest, AnInterfacePathOpensTheDeviceRegisteredUnderItsName)
{
    KSPlatformRegisterDevice("root#bus#0000#{x}", [](DWORD, DWORD&) { return std::make_shared<NamedDevice>(); });
    const unsigned before = KSPlatformOpenHandles();
    for (const char* path : {"\\\\?\\root#bus#0000#{x}", "\\\\?\\ROOT#BUS#0000#{X}", "\\\\.\\root#bus#0000#{x}"}) {
        HANDLE device = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(device, INVALID_HANDLE_VALUE) << path;
        DWORD answer = 0, returned = 0;
        EXPECT_TRUE(DeviceIoControl(device, 0x1234, nullptr, 0, &answer, sizeof answer, &returned, nullptr));
        EXPECT_EQ(answer, 0x1234u);
        CloseHandle(device);
    }
    EXPECT_EQ(CreateFileA("\\\\?\\root#bus#0001#{x}", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(KSPlatformOpenHandles(), before);
}

} // namespace
