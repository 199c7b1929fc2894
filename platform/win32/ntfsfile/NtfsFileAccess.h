// Whole-file reads and writes inside an NTFS volume that lies at a byte offset of a
// disk or disk-image file, through libntfs-3g with device operations of our own over
// that stretch. Kept apart from the Win32 declarations: libntfs-3g's headers name
// types (BOOL among them) that Windows headers name too.
#pragma once

#include <cstdint>
#include <string>

namespace ks_ntfs_file {

// path inside the volume, separated by '/' ("/Windows/system32/config/system").
// Results are errno values: 0, ENOENT for a missing file, another errno otherwise.
int ReadNtfsFile(const std::string& disk, uint64_t offset, uint64_t length, const std::string& path,
                 std::string& bytes);
// Replaces the content of an existing file. A file that cannot be grown (no space on
// the volume) is left as it was.
int WriteNtfsFile(const std::string& disk, uint64_t offset, uint64_t length, const std::string& path,
                  const std::string& bytes);

// Makes the folders of path that are missing ("/Windows/system32/config"); for test
// fixtures, which have no other way to make NTFS folders without mounting.
int MakeNtfsFolders(const std::string& disk, uint64_t offset, uint64_t length, const std::string& path);

} // namespace ks_ntfs_file
