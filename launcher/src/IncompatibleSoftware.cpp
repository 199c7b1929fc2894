// Software known to get in the way of the user interface: one disk-encryption
// filter, one antivirus product and one firewall driver.
#include "LoaderChecks.h"

#include "LoaderTexts.h"
#include "MultiString.h"
#include "RegistryValue.h"

#include <vector>

namespace loader {

namespace {

// Windows 2000 knows no registry views; later systems give a 32-bit program the
// 64-bit keys only when asked.
REGSAM QueryAccess(const SystemVersion& version)
{
    if (version.major == 5 && version.minor == 0)
        return KEY_QUERY_VALUE;
    return KEY_QUERY_VALUE | KEY_WOW64_64KEY;
}

bool ReadValue(const char* keyPath, const char* name, DWORD maxBytes, REGSAM access, std::vector<char>& data,
               DWORD& size)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, access, &key) != ERROR_SUCCESS)
        return false;
    const bool read = ReadRegistryValue(key, name, maxBytes, data, size);
    RegCloseKey(key);
    return read;
}

bool HasEncryptionFilter(REGSAM access)
{
    std::vector<char> filters;
    DWORD size = 0;
    if (!ReadValue(kDiskClassKey, "UpperFilters", 0, access, filters, size))
        return false;
    return AnyString(filters.data(), size, [](const std::string& name) {
        return EqualIgnoringCase(name, "cderaw") || EqualIgnoringCase(name, "cdeedfd");
    });
}

bool FirewallDevicePresent()
{
    HANDLE device = CreateFileA(kZoneAlarmDevice, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (device != INVALID_HANDLE_VALUE) {
        CloseHandle(device);
        return true;
    }
    // Refused access or a busy device still means the driver is there.
    return GetLastError() != ERROR_FILE_NOT_FOUND;
}

} // namespace

std::string IncompatibleSoftware(const SystemVersion& version)
{
    const REGSAM access = QueryAccess(version);
    std::string group;
    std::vector<char> product;
    DWORD size = 0;
    if (ReadValue(kBitDefenderKey, "ProductName", kProductNameBytes, access, product, size))
        group += product.data(); // ends at the stored NUL or at the two the reader added
    if (HasEncryptionFilter(access))
        group += "COMODO Disk Encryption";
    std::string list;
    if (!group.empty())
        list += "\n    " + group + "\n";
    if (FirewallDevicePresent())
        list += "\n    ZoneAlarm";
    if (!list.empty() && list.back() != '\n')
        list += '\n';
    return list;
}

} // namespace loader
