// Control of the Linux platform layer's volumes, registry and system folder: what a
// restored Windows is fixed up through. Like KSPlatformControl.h, none of this exists
// on Windows.
//
// Volumes are the partitions of the disk map's disks. Each has a stable volume name
// "{...}" made from its disk and first sector, a device name "\Device\HarddiskVolumeN"
// and, once a mount point is set, a drive letter in the one drive table. Files on a
// volume are reached by Win32 paths "X:\..." (a drive with a volume and no host
// folder), "\\.\X:\..." and "\\?\Volume{...}\...": NTFS through libntfs-3g over the
// partition's bytes, FAT through mtools at the partition's offset.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// ---------------------------------------------------------------------------
// Volume names.

// "{...}" (38 characters) of the volume that begins at firstSector of disk-map disk.
std::string KSPlatformVolumeGuid(unsigned disk, uint64_t firstSector);
// The partition a "{...}" name (with or without "\\?\Volume" before it) stands for.
bool KSPlatformParseVolumeGuid(const std::wstring& name, unsigned& disk, uint64_t& firstSector);
// Mounted state of volumes (what the device manager's mount asks for).
void KSPlatformSetVolumeMounted(unsigned disk, uint64_t firstSector, bool mounted);
bool KSPlatformIsVolumeMounted(unsigned disk, uint64_t firstSector);
void KSPlatformClearVolumeMounts();
// Further names of the DOS device namespace, as a real machine has hundreds of (serial
// ports, pipes, other drivers' devices): listed by QueryDosDeviceW(NULL) after the
// volumes' names, each standing for the device given. Reset clears them.
void KSPlatformAddObjectName(const std::wstring& name, const std::wstring& target);
void KSPlatformClearObjectNames();

// ---------------------------------------------------------------------------
// Files on volumes. Paths are narrow Win32 paths.

// True when the path names a file on a volume (not a host folder), whether or not
// the file exists.
bool KSVolumeFilePath(const char* path);
// The whole file; ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND or another error.
DWORD KSVolumeFileRead(const char* path, std::string& bytes);
// Replaces the file's content (it may grow or shrink). The new content is written
// from a temporary copy; when the write cannot be done the old file stays as it was.
DWORD KSVolumeFileWrite(const char* path, const std::string& bytes);
// Makes every later KSVolumeFileWrite, and every write-back of a hive, fail with
// error before it changes anything (ERROR_SUCCESS lets writes through again).
void KSPlatformSetVolumeWriteError(DWORD error);

// ---------------------------------------------------------------------------
// The running system.

// What GetWindowsDirectoryA answers ("C:\WINDOWS"); empty (the default): no Windows
// folder, the call answers 0.
void KSPlatformSetWindowsDirectory(const std::string& path);
// Makes OpenProcessToken fail with error (ERROR_SUCCESS lets it succeed again).
void KSPlatformSetPrivilegeError(DWORD error);
// Empties the in-memory registry of the running system and drops loaded hives
// without writing them.
void KSPlatformClearRegistry();
