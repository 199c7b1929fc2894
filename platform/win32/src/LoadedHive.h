// A hive file loaded under a registry key: the file's bytes are copied to a temporary
// host file that libhivex opens for writing; unloading commits the changes and
// writes the file back whole to where it came from (a volume or a host folder).
#pragma once

#include "Registry.h"

namespace ks_platform {

class LoadedHive {
public:
    // Null with error set when the file cannot be read (the Win32 error) or is no
    // hive (ERROR_NOT_REGISTRY_FILE).
    static std::shared_ptr<LoadedHive> Load(const std::string& file, DWORD& error);
    ~LoadedHive();

    size_t Root() const;
    // The child node by name, 0 when none; with create, adds it.
    size_t Child(size_t node, const std::string& name, bool create);
    DWORD Query(size_t node, const std::string& name, RegValue& value);
    DWORD Set(size_t node, const RegValue& value);
    DWORD Enum(size_t node, DWORD index, RegValue& value);
    // Writes a changed hive back to its file; an error code. An unchanged hive writes nothing.
    DWORD Commit();

private:
    LoadedHive() = default;
    void* hive_ = nullptr;
    std::string file_;
    std::string temp_;
    bool changed_ = false;
};

// The whole file behind a Win32 path: on a volume, or in a host folder.
DWORD ReadWin32File(const std::string& path, std::string& bytes);
DWORD WriteWin32File(const std::string& path, const std::string& bytes);
// The error KSPlatformSetVolumeWriteError injects, ERROR_SUCCESS when none.
DWORD InjectedWriteError();

} // namespace ks_platform
