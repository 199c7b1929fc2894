// The ntfs-3g tools as an independent second opinion on a volume file: cluster
// run lists from ntfsinfo, file contents from ntfscat, names from ntfsls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ToolRun {
    int64_t lcn;
    int64_t length;
};

// Runs a shell command; its standard output, and whether it exited with 0.
bool RunCommand(const std::string& command, std::string& output);

// The runs with clusters of every attribute whose type name (as ntfsinfo prints it,
// "$DATA", "$ATTRIBUTE_LIST", ...) is in types, of the file at path ("/name") or
// of a record number ("#6"), over all its records.
bool ToolRuns(const std::string& volume, const std::string& file, const std::vector<std::string>& types,
              std::vector<ToolRun>& runs);

// The file names of the root directory (ntfsls -f: with system files).
bool ToolRootNames(const std::string& volume, std::vector<std::string>& names);

// The unnamed data of a file ("/name") or of an inode ("#6").
bool ToolCat(const std::string& volume, const std::string& file, std::string& contents);
