// The registry calls over the in-memory registry and its loaded hives.
#include "KSPlatformVolumes.h"
#include "Registry.h"
#include "RegistryOpens.h"

#include <cstring>

using ks_platform::RegKeyRef;
using ks_platform::Registry;
using ks_platform::RegValue;

namespace {

const char* RootName(HKEY key)
{
    if (key == HKEY_CLASSES_ROOT)
        return "HKCR";
    if (key == HKEY_CURRENT_USER)
        return "HKCU";
    if (key == HKEY_LOCAL_MACHINE)
        return "HKLM";
    if (key == HKEY_USERS)
        return "HKU";
    return nullptr;
}

// The full path of key\subKey; false for a key that is no open handle.
bool PathOf(HKEY key, LPCSTR subKey, std::string& path)
{
    if (const char* root = RootName(key))
        path = root;
    else {
        RegKeyRef ref;
        if (!Registry::Instance().FindHandle(key, ref))
            return false;
        path = ref.path;
    }
    if (subKey && *subKey)
        path += std::string("\\") + subKey;
    return true;
}

bool KeyOf(HKEY key, RegKeyRef& ref)
{
    if (RootName(key))
        return Registry::Instance().Open(RootName(key), false, ref) == ERROR_SUCCESS;
    return Registry::Instance().FindHandle(key, ref);
}

} // namespace

extern "C" LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result)
{
    std::string path;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    if (!PathOf(key, subKey, path))
        return ERROR_INVALID_HANDLE;
    ks_platform::RecordRegistryOpen(path, access);
    RegKeyRef ref;
    const DWORD error = Registry::Instance().Open(path, false, ref);
    if (error == ERROR_SUCCESS)
        *result = Registry::Instance().AddHandle(ref);
    return static_cast<LSTATUS>(error);
}

extern "C" LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access,
                                          LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition)
{
    std::string path;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    if (!PathOf(key, subKey, path))
        return ERROR_INVALID_HANDLE;
    ks_platform::RecordRegistryOpen(path, access);
    RegKeyRef ref;
    bool created = false;
    const DWORD error = Registry::Instance().Open(path, true, ref, &created);
    if (error != ERROR_SUCCESS)
        return static_cast<LSTATUS>(error);
    *result = Registry::Instance().AddHandle(ref);
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

extern "C" LSTATUS WINAPI RegCloseKey(HKEY key)
{
    if (RootName(key))
        return ERROR_SUCCESS;
    return Registry::Instance().CloseHandle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

extern "C" LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    RegKeyRef ref;
    if (!KeyOf(key, ref))
        return ERROR_INVALID_HANDLE;
    RegValue value;
    const DWORD error = Registry::Instance().Query(ref, name ? name : "", value);
    if (error != ERROR_SUCCESS)
        return static_cast<LSTATUS>(error);
    if (type)
        *type = value.type;
    const DWORD length = static_cast<DWORD>(value.data.size());
    if (data && size && *size < length) {
        *size = length;
        return ERROR_MORE_DATA;
    }
    if (data && size && length)
        std::memcpy(data, value.data.data(), length);
    if (size)
        *size = length;
    return ERROR_SUCCESS;
}

extern "C" LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    RegKeyRef ref;
    if (!KeyOf(key, ref))
        return ERROR_INVALID_HANDLE;
    if (!data && size)
        return ERROR_NOACCESS;
    RegValue value;
    value.name = name ? name : "";
    value.type = type;
    if (size)
        value.data.assign(data, data + size);
    return static_cast<LSTATUS>(Registry::Instance().Set(ref, value));
}

extern "C" LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR name)
{
    RegKeyRef ref;
    if (!KeyOf(key, ref))
        return ERROR_INVALID_HANDLE;
    return static_cast<LSTATUS>(Registry::Instance().Delete(ref, name ? name : ""));
}

// nameSize counts characters without the terminator on return; data may be null.
// A name or data buffer too small gives ERROR_MORE_DATA, as Windows does.
extern "C" LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPDWORD type,
                                        LPBYTE data, LPDWORD dataSize)
{
    RegKeyRef ref;
    if (!KeyOf(key, ref))
        return ERROR_INVALID_HANDLE;
    if (!name || !nameSize)
        return ERROR_INVALID_PARAMETER;
    RegValue value;
    const DWORD error = Registry::Instance().Enum(ref, index, value);
    if (error != ERROR_SUCCESS)
        return static_cast<LSTATUS>(error);
    const DWORD length = static_cast<DWORD>(value.data.size());
    if (*nameSize < value.name.size() + 1 || (data && dataSize && *dataSize < length)) {
        if (dataSize)
            *dataSize = length;
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    *nameSize = static_cast<DWORD>(value.name.size());
    if (type)
        *type = value.type;
    if (data && dataSize && length)
        std::memcpy(data, value.data.data(), length);
    if (dataSize)
        *dataSize = length;
    return ERROR_SUCCESS;
}

extern "C" LSTATUS WINAPI RegLoadKeyA(HKEY key, LPCSTR subKey, LPCSTR file)
{
    if ((key != HKEY_LOCAL_MACHINE && key != HKEY_USERS) || !subKey || !*subKey || !file || !*file)
        return ERROR_INVALID_PARAMETER;
    std::string path;
    PathOf(key, subKey, path);
    return static_cast<LSTATUS>(Registry::Instance().Load(path, file));
}

extern "C" LSTATUS WINAPI RegUnLoadKeyA(HKEY key, LPCSTR subKey)
{
    if ((key != HKEY_LOCAL_MACHINE && key != HKEY_USERS) || !subKey || !*subKey)
        return ERROR_INVALID_PARAMETER;
    std::string path;
    PathOf(key, subKey, path);
    return static_cast<LSTATUS>(Registry::Instance().Unload(path));
}

void KSPlatformClearRegistry() { Registry::Instance().Clear(); }
