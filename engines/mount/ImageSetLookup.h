// Finds, through the image container, the file of a set that holds a volume's start.
#pragma once

#include "KSVolume.h"

#include <string>

// Opens the set's last file with the password, checks its last version and lists its
// files; out is the file whose byte range holds the volume's start, or the last file
// when none does. The set is closed again in every case. 0 or the container's code.
unsigned long FindVolumeImageFile(const wchar_t* image, const _KS_VOLUME& volume, const wchar_t* password,
                                  std::wstring& out);
