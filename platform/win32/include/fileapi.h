// Files and directory searches.
#pragma once

#include "minwinbase.h"
#include "windef.h"

// Creation dispositions.
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u

#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

extern "C" {
HANDLE WINAPI CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method);
BOOL WINAPI SetEndOfFile(HANDLE file);
BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
BOOL WINAPI DeleteFileW(LPCWSTR path);
DWORD WINAPI GetFileAttributesW(LPCWSTR path);
BOOL WINAPI SetFileAttributesW(LPCWSTR path, DWORD attributes);
HANDLE WINAPI FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW found);
BOOL WINAPI FindNextFileW(HANDLE search, LPWIN32_FIND_DATAW found);
BOOL WINAPI FindClose(HANDLE search);
}

extern "C" {
// The narrow form: the path is taken as text of the current locale.
HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                          DWORD flagsAndAttributes, HANDLE templateFile);
BOOL WINAPI CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
BOOL WINAPI RemoveDirectoryW(LPCWSTR path);
// The temporary folder with a closing separator; the length written without the
// terminator, or the length needed (with it) when size is too small.
DWORD WINAPI GetTempPathW(DWORD size, LPWSTR buffer);

// Drives come from the layer's drive table ("X:\" roots).
UINT WINAPI GetDriveTypeA(LPCSTR root);
UINT WINAPI GetDriveTypeW(LPCWSTR root);
DWORD WINAPI GetLogicalDrives(void);
DWORD WINAPI GetLogicalDriveStringsW(DWORD size, LPWSTR buffer);
BOOL WINAPI GetDiskFreeSpaceW(LPCWSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                              LPDWORD freeClusters, LPDWORD totalClusters);
BOOL WINAPI GetDiskFreeSpaceExW(LPCWSTR directory, PULARGE_INTEGER freeBytesAvailable, PULARGE_INTEGER totalBytes,
                                PULARGE_INTEGER totalFreeBytes);
}

// Volume names and mount points ("X:\" roots, "\\?\Volume{...}\" names) and the
// device names behind the names of the object namespace.
extern "C" {
DWORD WINAPI GetFileAttributesA(LPCSTR path);
BOOL WINAPI FlushFileBuffers(HANDLE file);
BOOL WINAPI GetVolumeNameForVolumeMountPointW(LPCWSTR mountPoint, LPWSTR volumeName, DWORD size);
BOOL WINAPI SetVolumeMountPointW(LPCWSTR mountPoint, LPCWSTR volumeName);
BOOL WINAPI DeleteVolumeMountPointW(LPCWSTR mountPoint);
DWORD WINAPI QueryDosDeviceW(LPCWSTR deviceName, LPWSTR targetPath, DWORD size);
}
