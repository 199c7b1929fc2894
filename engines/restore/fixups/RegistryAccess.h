// The registry as the fix-ups use it: the running system's keys under
// HKEY_LOCAL_MACHINE, and a restored system's SYSTEM hive loaded under the temporary
// key "ZeRestoreTemp". Results are result codes of the restore engine.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Enables the backup and restore privileges of the process token.
bool EnableHivePrivileges();

// A hive loaded under "ZeRestoreTemp" and one of its keys opened with all access.
class LoadedHiveKey {
public:
    ~LoadedHiveKey();
    // 0, or kind 0x009 (empty arguments), 0x254 (no such file), 0x013 (privileges),
    // 0x101 (the load or the key's open failed; raw 1017 on Windows 5.0).
    unsigned long Load(const std::string& file, const std::string& subKey);
    // Closes the key and unloads the hive, writing it back; 0 or kind 0x102.
    unsigned long Unload();
    HKEY Key() const { return key_; }

private:
    HKEY key_ = nullptr;
    bool loaded_ = false;
};

// A value of the running system: REG_BINARY writes; kinds 0x101 open, 0x103 value.
unsigned long ReadLiveValue(const std::string& key, const std::string& name, std::vector<unsigned char>& data);
unsigned long WriteLiveValue(const std::string& key, const std::string& name, const void* data, DWORD size,
                             DWORD type = REG_BINARY);
// The same through a hive file; the hive is unloaded when done.
unsigned long ReadHiveValue(const std::string& file, const std::string& key, const std::string& name,
                            std::vector<unsigned char>& data);
unsigned long WriteHiveValue(const std::string& file, const std::string& key, const std::string& name,
                             const void* data, DWORD size);
