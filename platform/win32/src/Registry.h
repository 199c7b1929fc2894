// The registry of the running system: an in-memory tree of keys and values, and hive
// files loaded under a key of it through libhivex. Key paths are kept with their root
// ("HKLM\System\Setup"); names compare without regard to case, as on Windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ks_platform {

struct RegValue {
    std::string name;
    DWORD type = REG_NONE;
    std::vector<unsigned char> data;
};

class LoadedHive;

// What a key handle stands for: a key of the live tree or a node of a loaded hive.
struct RegKeyRef {
    std::string path;                   // lower case, with the root
    std::shared_ptr<LoadedHive> hive;   // null for the live tree
    size_t node = 0;                    // the hive's node
};

class Registry {
public:
    static Registry& Instance();

    // Opens (or with create, makes) the key path below root; an error code.
    DWORD Open(const std::string& path, bool create, RegKeyRef& key, bool* created = nullptr);
    DWORD Query(const RegKeyRef& key, const std::string& name, RegValue& value);
    DWORD Set(const RegKeyRef& key, const RegValue& value);
    DWORD Delete(const RegKeyRef& key, const std::string& name);
    // ERROR_NO_MORE_ITEMS past the last value.
    DWORD Enum(const RegKeyRef& key, DWORD index, RegValue& value);
    DWORD Load(const std::string& path, const std::string& file);
    DWORD Unload(const std::string& path);
    void Clear();

    // Key handles.
    HKEY AddHandle(const RegKeyRef& key);
    bool FindHandle(HKEY handle, RegKeyRef& key);
    bool CloseHandle(HKEY handle);

private:
    struct LiveKey {
        std::vector<RegValue> values;
    };
    std::shared_ptr<LoadedHive> HiveOf(const std::string& path, std::string& rest);

    std::mutex lock_;
    std::map<std::string, LiveKey> live_;
    std::map<std::string, std::shared_ptr<LoadedHive>> hives_;
    std::map<uintptr_t, RegKeyRef> handles_;
    uintptr_t nextHandle_ = 0x1000;
};

std::string RegLower(const std::string& text);

} // namespace ks_platform
