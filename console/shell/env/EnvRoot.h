// The root every recovery-environment path hangs from. A recovery system uses "/";
// tests and the demo set RVD_ENV_ROOT to a folder of their own that holds mnt/,
// sys/block/ and dev/, so nothing of the machine's own "/mnt" is ever read.
#pragma once

#include <string>

constexpr const char* kEnvRootVariable = "RVD_ENV_ROOT";

// The root without a trailing "/": empty for "/" (or when the variable is unset).
// Read again on every call.
std::string EnvRoot();
// An absolute environment path ("/mnt/volinfo") under the root.
std::string EnvPath(const std::string& absolute);
