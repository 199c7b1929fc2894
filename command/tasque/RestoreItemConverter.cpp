#include "RestoreItemConverter.h"

#include <cstdlib>

#include "ICensa.h"

namespace {
constexpr size_t kDevicePrefixChars = 17; // "\\.\PhysicalDrive"
}

bool RestoreItemConverter::DriveNumberOf(const std::string& devicePath, unsigned char& number)
{
    if (devicePath.size() <= kDevicePrefixChars)
        return false;
    const long value = std::strtol(devicePath.c_str() + kDevicePrefixChars, nullptr, 10);
    if (value < 0)
        return false;
    number = static_cast<unsigned char>(value & 0xFF);
    return true;
}

unsigned char RestoreItemConverter::LetterOf(int32_t letter)
{
    if (letter >= 'A' && letter <= 'Z')
        return static_cast<unsigned char>(letter);
    if (letter >= 'a' && letter <= 'z')
        return static_cast<unsigned char>(letter - 'a' + 'A');
    return 0;
}

unsigned char RestoreItemConverter::TranslateDisk(unsigned char disk) const
{
    if (censa_ == nullptr)
        return disk;
    unsigned char number = disk;
    try {
        if (!DriveNumberOf(censa_->GetDiskPath(disk), number))
            return disk;
    } catch (...) { // the path is a std::string: its allocation may fail
        return disk;
    }
    return number;
}

_KS_RESTORE_TARGET RestoreItemConverter::Convert(const _RESTORE_INFO& item) const
{
    _KS_RESTORE_TARGET target{};
    target.DiskNumber = TranslateDisk(item.DiskNumber);
    target.FirstSector = item.FirstSector;
    target.SectorCount = item.SectorCount;
    target.FileSystem = item.VolumeType;
    target.DriveLetter = LetterOf(item.DriveLetter);
    target.PatchHiddenSectors = item.Primary;
    target.BootFlag = item.Active;
    target.ImageDisk = item.SourceDisk;
    target.HiddenSectors = item.HiddenSectors;
    return target;
}
