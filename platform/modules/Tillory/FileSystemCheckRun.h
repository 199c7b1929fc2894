// Runs the system's read-only checker of a file system on a volume: fsck.fat -n for
// FAT, ntfsfix -n for NTFS. The program gets its arguments as a list, never through
// a shell, and its output goes nowhere.
#pragma once

#include <string>
#include <vector>

class FileSystemCheckRun {
public:
    // The checker's argument list for a libblkid TYPE; empty when there is none.
    static std::vector<std::string> CommandFor(const std::string& fileSystem, const std::string& volumePath);
    // Runs argv; true when the program ran and ended with status 0.
    static bool Passes(const std::vector<std::string>& argv);
};
