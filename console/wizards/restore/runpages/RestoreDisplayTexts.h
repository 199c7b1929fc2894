// The pieces of the restore summaries as the user reads them: the image path and the
// volume label converted for display, the file-system name and the size.
#pragma once

#include <cstdint>
#include <string>

#include "KSVolume.h"

namespace RestoreDisplayTexts {

// The volume's UTF-16 label as multibyte text under the environment's locale (at
// most 260 bytes), converted for display.
std::string VolumeLabel(const _KS_VOLUME& v);
std::string ImagePath(const char* path);
std::string FileSystemName(uint32_t kind, int partitionType);
std::string SizeOfSectors(uint64_t sectors);

} // namespace RestoreDisplayTexts
