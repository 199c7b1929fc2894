// On Windows the store, a registry hive, is loaded under a key of its own, edited
// through the registry calls and unloaded, which writes it back. Loading a hive
// needs the backup and restore privileges.
#include "BcdStore.h"

#include <windows.h>

#include <cctype>
#include <string>

namespace {

const char* const kStoreKey = "ZeRestoreBcd";

bool EnablePrivilege(HANDLE token, const char* name)
{
    TOKEN_PRIVILEGES privileges{};
    if (!LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid))
        return false;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    return AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr) &&
           GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

bool EnableHivePrivileges()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    const bool enabled = EnablePrivilege(token, SE_BACKUP_NAME) && EnablePrivilege(token, SE_RESTORE_NAME);
    CloseHandle(token);
    return enabled;
}

// Rewrites one element key's "Element" value; false when it cannot be read or set.
bool RewriteElement(HKEY elements, const char* name, const BcdPartitionPlace& from, const BcdPartitionPlace& to,
                    unsigned& rewritten)
{
    HKEY element = nullptr;
    if (RegOpenKeyExA(elements, name, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &element) != ERROR_SUCCESS)
        return true;
    DWORD type = 0, size = 0;
    bool ok = true;
    LSTATUS rc = RegQueryValueExA(element, "Element", nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS && type == REG_BINARY && size != 0) {
        std::string data(size, '\0');
        rc = RegQueryValueExA(element, "Element", nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        ok = rc == ERROR_SUCCESS;
        data.resize(size);
        if (ok && RewriteBcdPartitionDevice(data, from, to)) {
            ok = RegSetValueExA(element, "Element", 0, REG_BINARY, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
            rewritten += ok ? 1 : 0;
        }
    } else if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) {
        ok = false;
    }
    RegCloseKey(element);
    return ok;
}

bool RewriteObjects(HKEY store, const BcdPartitionPlace& from, const BcdPartitionPlace& to, unsigned& rewritten)
{
    HKEY objects = nullptr;
    if (RegOpenKeyExA(store, "Objects", 0, KEY_READ, &objects) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (DWORD index = 0; ok; ++index) {
        char name[MAX_PATH];
        DWORD length = sizeof name;
        const LSTATUS rc = RegEnumKeyExA(objects, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS) {
            ok = false;
            break;
        }
        HKEY elements = nullptr;
        const std::string path = std::string(name) + "\\Elements";
        if (RegOpenKeyExA(objects, path.c_str(), 0, KEY_READ, &elements) != ERROR_SUCCESS)
            continue;
        for (const char* element : kBcdDeviceElements)
            ok = ok && RewriteElement(elements, element, from, to, rewritten);
        RegCloseKey(elements);
    }
    RegCloseKey(objects);
    return ok;
}

} // namespace

BcdStoreOutcome RewriteBcdStore(const std::string& root, const BcdPartitionPlace& from, const BcdPartitionPlace& to,
                                unsigned& rewritten)
{
    rewritten = 0;
    const std::string path = root + "\\Boot\\BCD";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? BcdStoreOutcome::kMissing
                                                                              : BcdStoreOutcome::kFailed;
    }
    if (!EnableHivePrivileges())
        return BcdStoreOutcome::kFailed;
    RegUnLoadKeyA(HKEY_LOCAL_MACHINE, kStoreKey);
    if (RegLoadKeyA(HKEY_LOCAL_MACHINE, kStoreKey, path.c_str()) != ERROR_SUCCESS)
        return BcdStoreOutcome::kFailed;
    HKEY store = nullptr;
    bool ok = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kStoreKey, 0, KEY_READ, &store) == ERROR_SUCCESS;
    if (ok) {
        ok = RewriteObjects(store, from, to, rewritten);
        RegCloseKey(store);
    }
    ok = RegUnLoadKeyA(HKEY_LOCAL_MACHINE, kStoreKey) == ERROR_SUCCESS && ok;
    return ok ? BcdStoreOutcome::kRewritten : BcdStoreOutcome::kFailed;
}

bool BcdStoreInUse(const std::string& root)
{
    char windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || root.size() != 2 || root[1] != ':')
        return false;
    if (std::toupper(static_cast<unsigned char>(windows[0])) != std::toupper(static_cast<unsigned char>(root[0])))
        return false;
    return GetFileAttributesA((root + "\\Boot\\BCD").c_str()) != INVALID_FILE_ATTRIBUTES;
}
