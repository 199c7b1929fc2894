#include "RegistryAccess.h"

#include <cstdio>

#include "FixupKinds.h"
#include "KSResult.h"

using namespace fixup_kinds;

namespace {

const char* const kTempKey = "ZeRestoreTemp";

bool EnablePrivilege(HANDLE token, const char* name)
{
    TOKEN_PRIVILEGES privileges{};
    LUID luid{};
    if (!LookupPrivilegeValueA(nullptr, name, &luid)) {
        std::printf("LookupPrivilegeValue error: %u\n", static_cast<unsigned>(GetLastError()));
        return false;
    }
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = luid;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr)) {
        std::printf("AdjustTokenPrivileges error: %u\n", static_cast<unsigned>(GetLastError()));
        return false;
    }
    if (GetLastError() == ERROR_NOT_ALL_ASSIGNED) {
        std::printf("The token does not have the specified privilege. \n");
        return false;
    }
    return true;
}

// Windows 5.0 answers a load of a file that is no hive with its raw error.
bool IsWindows2000()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwMajorVersion == 5 && version.dwMinorVersion == 0;
}

} // namespace

bool EnableHivePrivileges()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token))
        return false;
    const bool enabled = EnablePrivilege(token, SE_BACKUP_NAME) && EnablePrivilege(token, SE_RESTORE_NAME);
    CloseHandle(token);
    return enabled;
}

LoadedHiveKey::~LoadedHiveKey()
{
    if (loaded_)
        Unload();
}

unsigned long LoadedHiveKey::Load(const std::string& file, const std::string& subKey)
{
    if (file.empty() || subKey.empty())
        return FixupFailure(kBadArgument);
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES)
        return FixupFailure(kHiveMissing);
    if (!EnableHivePrivileges())
        return FixupFailure(kNoPrivilege);
    // A hive left loaded by an earlier run is put away first.
    RegUnLoadKeyA(HKEY_LOCAL_MACHINE, kTempKey);
    const LSTATUS rc = RegLoadKeyA(HKEY_LOCAL_MACHINE, kTempKey, file.c_str());
    if (rc != ERROR_SUCCESS)
        return rc == ERROR_NOT_REGISTRY_FILE && IsWindows2000() ? static_cast<unsigned long>(rc)
                                                                : FixupFailure(kRegistryOpen);
    loaded_ = true;
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s\\%s", kTempKey, subKey.c_str());
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &key_) != ERROR_SUCCESS) {
        key_ = nullptr;
        Unload();
        return FixupFailure(kRegistryOpen);
    }
    return 0;
}

unsigned long LoadedHiveKey::Unload()
{
    if (!loaded_)
        return 0;
    EnableHivePrivileges();
    if (key_ != nullptr)
        RegCloseKey(key_);
    key_ = nullptr;
    loaded_ = false;
    return RegUnLoadKeyA(HKEY_LOCAL_MACHINE, kTempKey) == ERROR_SUCCESS ? 0 : FixupFailure(kRegistryUnload);
}

namespace {

unsigned long ReadValue(HKEY key, const std::string& name, std::vector<unsigned char>& data)
{
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return FixupFailure(kRegistryValue);
    data.assign(size, 0);
    if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS)
        return FixupFailure(kRegistryValue);
    data.resize(size);
    return 0;
}

unsigned long WriteValue(HKEY key, const std::string& name, const void* data, DWORD size, DWORD type)
{
    return RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS
               ? 0
               : FixupFailure(kRegistryValue);
}

} // namespace

unsigned long ReadLiveValue(const std::string& key, const std::string& name, std::vector<unsigned char>& data)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return FixupFailure(kRegistryOpen);
    const unsigned long rc = ReadValue(opened, name, data);
    RegCloseKey(opened);
    return rc;
}

unsigned long WriteLiveValue(const std::string& key, const std::string& name, const void* data, DWORD size,
                             DWORD type)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
        return FixupFailure(kRegistryOpen);
    const unsigned long rc = WriteValue(opened, name, data, size, type);
    RegCloseKey(opened);
    return rc;
}

unsigned long ReadHiveValue(const std::string& file, const std::string& key, const std::string& name,
                            std::vector<unsigned char>& data)
{
    LoadedHiveKey hive;
    if (const unsigned long rc = hive.Load(file, key))
        return rc;
    const unsigned long rc = ReadValue(hive.Key(), name, data);
    const unsigned long unloaded = hive.Unload();
    return rc ? rc : unloaded;
}

unsigned long WriteHiveValue(const std::string& file, const std::string& key, const std::string& name,
                             const void* data, DWORD size)
{
    LoadedHiveKey hive;
    if (const unsigned long rc = hive.Load(file, key))
        return rc;
    const unsigned long rc = WriteValue(hive.Key(), name, data, size, REG_BINARY);
    const unsigned long unloaded = hive.Unload();
    return rc ? rc : unloaded;
}
