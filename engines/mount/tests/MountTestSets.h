// One volume of the backup fixture disk backed up by the backup engine into a set
// of its own, for mounts.
#pragma once

#include "KSImageFormat.h"

#include <cstdint>
#include <string>

struct MountSet {
    std::wstring file;   // the set's last file
    _KS_VOLUME volume{};
};

MountSet BackUpOneVolume(const std::string& name, uint32_t partition, const std::wstring& password);
