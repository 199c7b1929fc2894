// The record of registry keys opened and the access asked for.
#pragma once

#include <windows.h>

#include <string>

namespace ks_platform {

void RecordRegistryOpen(const std::string& path, REGSAM access);

} // namespace ks_platform
