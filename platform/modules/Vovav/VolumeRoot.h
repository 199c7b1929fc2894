// Where the restore engine's records say the restored volume is: its drive letter
// "X:", else its volume path without the trailing backslash. Empty when neither names
// a volume.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string VolumeRootOf(uint8_t letter, const char16_t* path, size_t chars);
