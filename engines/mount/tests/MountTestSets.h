// One volume of the backup fixture disk backed up by the backup engine into a set
// of its own, for mounts.
#pragma once

#include "KSImageFormat.h"

#include <cstdint>
#include <string>
#include <vector>

struct MountSet {
    std::wstring file;   // the set's last file
    std::vector<std::wstring> files;   // every file, in name order
    _KS_VOLUME volume{};
};

MountSet BackUpOneVolume(const std::string& name, uint32_t partition, const std::wstring& password);
// The partition backed up copies times into one set stored sector by sector and
// split every splitMiB MiB; the volume of copy pick, with the set's last file.
MountSet BackUpSplitVolume(const std::string& name, uint32_t partition, unsigned copies, uint32_t splitMiB,
                           unsigned pick);
