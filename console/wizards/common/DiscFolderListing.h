// What the disc change dialog lists when the user asks to see the inserted disc: the
// plain files of the folder that holds the expected file.
#pragma once

#include <string>
#include <vector>

// Bytes of a path the dialog copies: a path field's 520 bytes. The pattern adds "*"
// and its terminator, so its buffer is two bytes longer.
constexpr size_t kDiscPathBytes = 520;
constexpr size_t kDiscPatternBytes = kDiscPathBytes + 2;

// The search pattern for the folder of path: at most 520 bytes of path, cut after its
// last "/", then "*" (a path without "/" gets "*" after the whole path).
std::string DiscFolderPattern(const char* path);
// Every entry that is not a folder and matches the pattern, in the order the
// directory search gives them; empty when the folder cannot be read.
std::vector<std::string> ListDiscFolder(const char* path);
