// The snapshot driver's volume filter and control device, and the bus driver's device.
#include "LoaderChecks.h"

#include "LoaderTexts.h"
#include "MultiString.h"
#include "RegistryValue.h"

#include <setupapi.h>

#include "ZeDiskControl.h"

#include <vector>

namespace loader {

bool HasVolumeFilter()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kVolumeClassKey, 0, nullptr, 0, KEY_QUERY_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<char> filters;
    DWORD size = 0;
    // The whole list, however long: other products' filters may come first.
    const bool read = ReadRegistryValue(key, "UpperFilters", 0, filters, size);
    RegCloseKey(key);
    if (!read)
        return false;
    return AnyString(filters.data(), size, [](std::string name) {
        for (char& c : name)
            c = AsciiUpper(c);
        return name.find("ZEBAKUP") != std::string::npos;
    });
}

namespace {

bool HasBusHardwareId(const std::vector<BYTE>& buffer, DWORD size)
{
    const auto* ids = reinterpret_cast<const wchar_t*>(buffer.data());
    return AnyString(ids, size / sizeof(wchar_t),
                     [](const std::wstring& id) { return EqualIgnoringCase(id, ZEDISK_BUS_HARDWARE_ID); });
}

} // namespace

bool HasBusDriver()
{
    HDEVINFO devices = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    if (devices == INVALID_HANDLE_VALUE)
        return false;
    std::vector<BYTE> buffer(256);
    bool found = false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; !found && SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        DWORD type = 0;
        DWORD size = 0;
        BOOL read = SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_HARDWAREID, &type, buffer.data(),
                                                      static_cast<DWORD>(buffer.size()), &size);
        if (!read && GetLastError() == ERROR_INSUFFICIENT_BUFFER && size > buffer.size()) {
            buffer.resize(size);
            read = SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_HARDWAREID, &type, buffer.data(),
                                                     static_cast<DWORD>(buffer.size()), &size);
        }
        if (read && type == REG_MULTI_SZ)
            found = HasBusHardwareId(buffer, size < buffer.size() ? size : static_cast<DWORD>(buffer.size()));
    }
    SetupDiDestroyDeviceInfoList(devices);
    return found;
}

bool SnapshotDeviceOpens()
{
    HANDLE device =
        CreateFileA(kSnapshotDevice, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(device);
    return true;
}

} // namespace loader
