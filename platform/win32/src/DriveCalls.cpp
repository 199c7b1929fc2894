// What the drive table says about drives: types, letters, free and total space.
#include "ArrivedDisks.h"
#include "DriveTable.h"

#include <direct.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

using ks_platform::DriveTable;

namespace {

// A drive root: "X:" or "X:\" (either separator).
std::optional<KSDriveEntry> DriveOfRoot(const wchar_t* root)
{
    if (!root || !root[0] || root[1] != L':')
        return std::nullopt;
    if (root[2] != L'\0' && !((root[2] == L'\\' || root[2] == L'/') && root[3] == L'\0'))
        return std::nullopt;
    return DriveTable::Instance().FindForPath(root);
}

DWORD ClampToDword(uint64_t value) { return static_cast<DWORD>(std::min<uint64_t>(value, 0xFFFFFFFFu)); }

uint64_t BytesPerCluster(const KSDriveEntry& drive)
{
    const uint64_t bytes = uint64_t{drive.bytesPerSector} * drive.sectorsPerCluster;
    return bytes ? bytes : 4096;
}

} // namespace

extern "C" UINT WINAPI GetDriveTypeW(LPCWSTR root)
{
    std::optional<KSDriveEntry> drive = DriveOfRoot(root);
    return drive ? drive->type : DRIVE_NO_ROOT_DIR;
}

extern "C" UINT WINAPI GetDriveTypeA(LPCSTR root)
{
    if (!root)
        return DRIVE_NO_ROOT_DIR;
    wchar_t wide[4] = {};
    for (size_t i = 0; i < 3 && root[i]; ++i)
        wide[i] = static_cast<unsigned char>(root[i]);
    if (root[0] && root[1] && root[2] && root[3])
        return DRIVE_NO_ROOT_DIR;
    return GetDriveTypeW(wide);
}

// Each call is a poll: a letter an arriving disk waits for may come with it.
extern "C" DWORD WINAPI GetLogicalDrives(void)
{
    ks_platform::ArrivedDisks::Instance().Poll();
    SetLastError(ERROR_SUCCESS);
    return DriveTable::Instance().Letters();
}

// "A:\", NUL, "C:\", NUL, ..., NUL. The length written without the last NUL, or the
// size needed (with it) when the buffer is too small, leaving the buffer alone.
extern "C" DWORD WINAPI GetLogicalDriveStringsW(DWORD size, LPWSTR buffer)
{
    const DWORD letters = DriveTable::Instance().Letters();
    std::wstring roots;
    for (int i = 0; i < 26; ++i)
        if (letters & (DWORD{1} << i)) {
            roots += static_cast<wchar_t>(L'A' + i);
            roots += L":\\";
            roots += L'\0';
        }
    const DWORD length = static_cast<DWORD>(roots.size());
    if (!buffer || size < length + 1)
        return length + 1;
    std::copy(roots.begin(), roots.end(), buffer);
    buffer[length] = L'\0';
    return length;
}

extern "C" BOOL WINAPI GetDiskFreeSpaceW(LPCWSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                                         LPDWORD freeClusters, LPDWORD totalClusters)
{
    std::optional<KSDriveEntry> drive = DriveOfRoot(root);
    if (!drive) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    const uint64_t cluster = BytesPerCluster(*drive);
    if (sectorsPerCluster)
        *sectorsPerCluster = drive->sectorsPerCluster;
    if (bytesPerSector)
        *bytesPerSector = drive->bytesPerSector;
    // Counts past 32 bits are capped, as Windows does for very large volumes.
    if (freeClusters)
        *freeClusters = ClampToDword(drive->freeBytes / cluster);
    if (totalClusters)
        *totalClusters = ClampToDword(drive->totalBytes / cluster);
    return TRUE;
}

// Any folder of the drive may be named ("X:\images\").
extern "C" BOOL WINAPI GetDiskFreeSpaceExW(LPCWSTR directory, PULARGE_INTEGER freeBytesAvailable,
                                           PULARGE_INTEGER totalBytes, PULARGE_INTEGER totalFreeBytes)
{
    std::optional<KSDriveEntry> drive = DriveTable::Instance().FindForPath(directory);
    if (!drive) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (freeBytesAvailable)
        freeBytesAvailable->QuadPart = drive->freeBytes;
    if (totalBytes)
        totalBytes->QuadPart = drive->totalBytes;
    if (totalFreeBytes)
        totalFreeBytes->QuadPart = drive->freeBytes;
    return TRUE;
}

extern "C" unsigned _getdiskfree(unsigned driveNumber, struct _diskfree_t* space)
{
    if (!space) {
        errno = EINVAL;
        return ERROR_INVALID_PARAMETER;
    }
    std::optional<KSDriveEntry> drive;
    if (driveNumber >= 1 && driveNumber <= 26)
        drive = DriveTable::Instance().Find(static_cast<char>('A' + driveNumber - 1));
    if (!drive) {
        errno = EACCES;
        return ERROR_INVALID_DRIVE;
    }
    const uint64_t cluster = BytesPerCluster(*drive);
    space->total_clusters = ClampToDword(drive->totalBytes / cluster);
    space->avail_clusters = ClampToDword(drive->freeBytes / cluster);
    space->sectors_per_cluster = drive->sectorsPerCluster;
    space->bytes_per_sector = drive->bytesPerSector;
    return 0;
}
