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

// Every file and volume of a set the backup engine made of partitions of its fixture
// disk; a set split every splitMiB MiB (when not 0) is stored sector by sector and
// uncompressed, so its volumes run from file to file.
struct MadeMountSet {
    std::vector<std::wstring> files;   // host paths, in name order
    std::vector<_KS_VOLUME> volumes;
    std::vector<_KS_IMG> images;
};
MadeMountSet BackUpForMount(const std::string& name, const std::vector<uint32_t>& partitions,
                            const std::wstring& password, uint32_t splitMiB = 0);

MountSet BackUpOneVolume(const std::string& name, uint32_t partition, const std::wstring& password);
// The partition backed up copies times into one set stored sector by sector and
// split every splitMiB MiB; the volume of copy pick, with the set's last file.
MountSet BackUpSplitVolume(const std::string& name, uint32_t partition, unsigned copies, uint32_t splitMiB,
                           unsigned pick);
