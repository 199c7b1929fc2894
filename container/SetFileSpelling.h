// A set's file whose ".RVD" is written in another case ("disk1.rvd" for
// "disk1.RVD") is the same file on Windows, where names are compared without
// regard to case. Here the folder is searched for it, so that a set copied or
// renamed on another system is still found, under the name it has on disk.
#pragma once

#include "CofranText.h"

namespace SetFileSpelling {

// found: path when that file is there; else the folder's file of the same name up
// to an extension ".rvd" spelled in another case; else path. False when memory
// runs out.
bool Existing(const wchar_t* path, CofranText& found);
// Whether a file of that name is there, its ".rvd" in any case (when memory runs
// out, taken as there).
bool Exists(const wchar_t* path);

} // namespace SetFileSpelling
