// The versions of the disk-view image set as the image pages read them: through the
// command object, from the set's first file.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ITasque.h"

// Empty when the set cannot be read.
inline std::vector<_KS_VERSION> ViewsSetVersions(ITasque& command, const std::string& set)
{
    std::vector<wchar_t> widePath(set.size() + 1, L'\0');
    if (std::mbstowcs(widePath.data(), set.c_str(), set.size() + 1) == static_cast<size_t>(-1))
        return {};
    std::vector<_KS_VERSION> versions(16);
    unsigned long count = 0;
    if (command.RestoreGetImageVersions(versions.data(), static_cast<unsigned long>(versions.size()), &count,
                                        widePath.data()) != 0)
        return {};
    versions.resize(std::min<size_t>(count, versions.size()));
    return versions;
}
