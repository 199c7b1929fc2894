#include "DriveTable.h"

#include "CDiskMap.h"

namespace ks_platform {

char DriveIndexLetter(wchar_t letter)
{
    if (letter >= L'a' && letter <= L'z')
        return static_cast<char>('A' + (letter - L'a'));
    if (letter >= L'A' && letter <= L'Z')
        return static_cast<char>(letter);
    return 0;
}

DriveTable& DriveTable::Instance()
{
    static DriveTable* table = new DriveTable;
    return *table;
}

bool DriveTable::Add(const KSDriveEntry& drive)
{
    const char letter = DriveIndexLetter(static_cast<unsigned char>(drive.letter));
    if (!letter)
        return false;
    KSDriveEntry entry = drive;
    entry.letter = letter;
    std::lock_guard<std::mutex> guard(lock_);
    drives_[static_cast<size_t>(letter - 'A')] = entry;
    return true;
}

bool DriveTable::Remove(char letter)
{
    const char index = DriveIndexLetter(static_cast<unsigned char>(letter));
    std::lock_guard<std::mutex> guard(lock_);
    if (!index || !drives_[static_cast<size_t>(index - 'A')])
        return false;
    drives_[static_cast<size_t>(index - 'A')].reset();
    return true;
}

void DriveTable::Clear()
{
    std::lock_guard<std::mutex> guard(lock_);
    for (std::optional<KSDriveEntry>& drive : drives_)
        drive.reset();
}

std::optional<KSDriveEntry> DriveTable::Find(char letter) const
{
    const char index = DriveIndexLetter(static_cast<unsigned char>(letter));
    if (!index)
        return std::nullopt;
    std::lock_guard<std::mutex> guard(lock_);
    return drives_[static_cast<size_t>(index - 'A')];
}

std::optional<KSDriveEntry> DriveTable::FindForPath(const wchar_t* path) const
{
    if (!path || !path[0] || path[1] != L':')
        return std::nullopt;
    const char letter = DriveIndexLetter(path[0]);
    return letter ? Find(letter) : std::nullopt;
}

DWORD DriveTable::Letters() const
{
    std::lock_guard<std::mutex> guard(lock_);
    DWORD letters = 0;
    for (size_t i = 0; i < drives_.size(); ++i)
        if (drives_[i])
            letters |= DWORD{1} << i;
    return letters;
}

} // namespace ks_platform

using ks_platform::DriveTable;

bool KSPlatformAddDrive(const KSDriveEntry& drive) { return DriveTable::Instance().Add(drive); }

bool KSPlatformRemoveDrive(char letter) { return DriveTable::Instance().Remove(letter); }

void KSPlatformClearDrives() { DriveTable::Instance().Clear(); }

bool KSPlatformFindDrive(char letter, KSDriveEntry& drive)
{
    std::optional<KSDriveEntry> found = DriveTable::Instance().Find(letter);
    if (found)
        drive = *found;
    return found.has_value();
}

char KSPlatformDriveLetterOf(unsigned disk, uint64_t firstSector)
{
    char letter = 0;
    DriveTable::Instance().ForEach([&](const KSDriveEntry& drive) {
        if (!letter && drive.hasVolume && drive.volume.disk == disk && drive.volume.firstSector == firstSector)
            letter = drive.letter;
    });
    return letter;
}

char KSPlatformDriveLetterOfPath(const std::string& diskPath, uint64_t firstSector)
{
    for (const DiskMapEntry& disk : CDiskMap().Disks())
        if (disk.path == diskPath)
            return KSPlatformDriveLetterOf(disk.number, firstSector);
    return 0;
}
