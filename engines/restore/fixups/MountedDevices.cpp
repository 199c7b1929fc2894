#include "MountedDevices.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "FixupKinds.h"
#include "KSResult.h"
#include "LittleEndian.h"
#include "RegistryAccess.h"

using namespace fixup_kinds;

namespace {

const char* const kLiveKey = "System\\MountedDevices";
const char* const kHiveKey = "MountedDevices";
constexpr DWORD kValueBytes = 260;

bool IsVolumeName(const std::string& path) { return path.compare(0, 4, "\\\\?\\") == 0; }

// The running system's own drive: "X:" whose letter begins its Windows folder.
bool IsRunningSystem(const std::string& path)
{
    if (path.size() != 2 || path[1] != ':')
        return false;
    char windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    return length > 0 && length < MAX_PATH &&
           std::toupper(static_cast<unsigned char>(windows[0])) == std::toupper(static_cast<unsigned char>(path[0]));
}

// Enumerates the key's values; each one that holds exactly the old 12 bytes gets the
// new ones. A value is compared only when it is 12 bytes long: the buffer is reused,
// and a shorter value must not match on bytes left from the one before.
unsigned long RewriteKey(HKEY key, const unsigned char from[12], const unsigned char to[12])
{
    for (DWORD index = 0;; ++index) {
        char name[kValueBytes] = {};
        unsigned char data[kValueBytes] = {};
        DWORD nameSize = sizeof name;
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LSTATUS rc = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc == ERROR_NO_MORE_ITEMS || rc == ERROR_NOT_REGISTRY_FILE)
            return 0;
        if (rc != ERROR_SUCCESS)
            return KS_RESULT(KS_MODULE_RESTORE, kRegistryValue);
        if (dataSize != 12 || std::memcmp(data, from, 12) != 0)
            continue;
        if (RegSetValueExA(key, name, 0, type, to, 12) != ERROR_SUCCESS)
            return KS_RESULT(KS_MODULE_RESTORE, kRegistryValue);
    }
}

} // namespace

void StoreMountedDevicesValue(const MountedDevicesPlace& place, unsigned char out[12])
{
    StoreLE32(out, place.signature);
    StoreLE64(out + 4, place.offset);
}

MountedDevicesSource FindMountedDevices(const std::string& volumePath)
{
    MountedDevicesSource source;
    if (IsRunningSystem(volumePath)) {
        source.live = true;
        return source;
    }
    const char* const forms[] = {"%s\\WINNT\\system32\\config\\system", "%s\\Windows\\system32\\config\\system"};
    const char* const deviceForms[] = {"\\\\.\\%s\\WINNT\\system32\\config\\system",
                                       "\\\\.\\%s\\Windows\\system32\\config\\system"};
    for (int i = 0; i < 2; ++i) {
        char file[MAX_PATH];
        std::snprintf(file, sizeof file, IsVolumeName(volumePath) ? forms[i] : deviceForms[i], volumePath.c_str());
        if (GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES)
            source.hives.push_back(file);
    }
    return source;
}

unsigned long RewriteMountedDevices(const std::string& volumePath, const MountedDevicesPlace& from,
                                    const MountedDevicesPlace& to)
{
    unsigned char oldBytes[12], newBytes[12];
    StoreMountedDevicesValue(from, oldBytes);
    StoreMountedDevicesValue(to, newBytes);
    const MountedDevicesSource source = FindMountedDevices(volumePath);
    if (source.live) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLiveKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return KS_RESULT(KS_MODULE_RESTORE, kRegistryOpen);
        const unsigned long rc = RewriteKey(key, oldBytes, newBytes);
        RegCloseKey(key);
        return rc;
    }
    for (const std::string& file : source.hives) {
        LoadedHiveKey hive;
        if (const unsigned long rc = hive.Load(file, kHiveKey))
            return rc;
        const unsigned long rc = RewriteKey(hive.Key(), oldBytes, newBytes);
        const unsigned long unloaded = hive.Unload();
        if (rc != 0 || unloaded != 0)
            return rc != 0 ? rc : unloaded;
    }
    return 0;
}

unsigned long SetDosDevicesValue(const std::string& volumePath, char letter, const MountedDevicesPlace& place)
{
    unsigned char bytes[12];
    StoreMountedDevicesValue(place, bytes);
    char name[32];
    std::snprintf(name, sizeof name, "\\DosDevices\\%c:", std::toupper(static_cast<unsigned char>(letter)));
    const MountedDevicesSource source = FindMountedDevices(volumePath);
    if (source.live)
        return WriteLiveValue(kLiveKey, name, bytes, 12);
    for (const std::string& file : source.hives)
        if (const unsigned long rc = WriteHiveValue(file, kHiveKey, name, bytes, 12))
            return rc;
    return 0;
}
