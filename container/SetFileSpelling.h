// A set's file whose ".RVD" is written in another case ("disk1.rvd" for
// "disk1.RVD") is the same file on Windows, where names are compared without
// regard to case. Here the folder is searched for it, so that a set copied or
// renamed on another system is still found, under the name it has on disk.
#pragma once

#include <string>

namespace SetFileSpelling {

// path when that file is there; else the folder's file of the same name up to an
// extension ".rvd" spelled in another case; else path.
std::wstring Existing(const std::wstring& path);
// Whether a file of that name is there, its ".rvd" in any case.
bool Exists(const std::wstring& path);

} // namespace SetFileSpelling
