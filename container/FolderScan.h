// Lists the files of a folder (pattern folder + "*"), "." and ".." left out.
#pragma once

#include <string>
#include <vector>

// False when the search cannot start or finds nothing.
bool ScanFolder(const std::wstring& folder, std::vector<std::wstring>& names);
