#include "DisableAutorun.h"

#include <windows.h>
#include <winreg.h>

namespace {

long WriteValue(const char* keyPath, const char* name, DWORD type, const BYTE* data, DWORD size)
{
    HKEY key = nullptr;
    // The policy key is missing on many machines; it is made rather than skipped.
    LSTATUS rc = RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = RegSetValueExA(key, name, 0, type, data, size);
    RegCloseKey(key);
    return rc;
}

} // namespace

long DisableAutorun()
{
    static const BYTE kNoAutoRunTypes[4] = {0xB5, 0x00, 0x00, 0x00};
    long rc = WriteValue("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoDriveTypeAutoRun",
                         REG_BINARY, kNoAutoRunTypes, sizeof kNoAutoRunTypes);
    if (rc != ERROR_SUCCESS)
        return rc;
    const DWORD disable = 1;
    return WriteValue("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers", "DisableAutoplay",
                      REG_DWORD, reinterpret_cast<const BYTE*>(&disable), sizeof disable);
}
