#include "BlockLook.h"

#include <cstring>

#include "PartitionRules.h"
#include "RecoveryEnv.h"

namespace {

void SetName(__PARTITION_INFO_CMD& record, const char* name)
{
    std::memset(record.VolumeLabel, 0, sizeof(record.VolumeLabel));
    std::strncpy(record.VolumeLabel, name, sizeof(record.VolumeLabel) - 1);
}

void MarkWholeDisk(DeviceBlockLook& look, const char* name)
{
    SetName(look.record, name);
    look.wholeDisk = true;
    look.record.UsedSectors = look.record.SectorCount;
    look.usedShare = look.record.SectorCount > 0 ? 1.0 : 0.0;
}

} // namespace

DeviceBlockLook MakeBlockLook(const __PARTITION_INFO_CMD& record)
{
    DeviceBlockLook look;
    look.record = record;
    const int type = record.PartitionType;
    look.unallocated = type == 0;
    if (type != 0 && !IsSurportPartitionType(type))
        look.record.FileSystemType = FILE_SYSTEM_FOREIGN4;
    // Counts are signed in the console's record; a record of no sectors has no share.
    const long long total = static_cast<long long>(record.SectorCount);
    const long long used = static_cast<long long>(record.UsedSectors);
    look.usedShare = total > 0 ? static_cast<double>(used) / static_cast<double>(total) : 0.0;
    return look;
}

bool IsDynamicOrGpt(const _KS_DISK_INFO& disk)
{
    return disk.Dynamic != 0 || disk.DiskType == 1;
}

void MarkDynamicOrGpt(DeviceBlockLook& look, const _KS_DISK_INFO& disk)
{
    MarkWholeDisk(look, disk.Dynamic != 0 ? "Dynamic Disk" : "GPT Disk");
}

void MarkBadDisk(DeviceBlockLook& look)
{
    MarkWholeDisk(look, "Bad Disk");
}

std::string BlockName(const __PARTITION_INFO_CMD& record)
{
    return std::string(record.VolumeLabel, strnlen(record.VolumeLabel, sizeof(record.VolumeLabel)));
}

std::string BlockLabel(const DeviceBlockLook& look)
{
    if (look.wholeDisk)
        return BlockName(look.record);
    if (look.unallocated)
        return "Unallocated";
    std::string label;
    const unsigned char letter = static_cast<unsigned char>(look.record.DriveLetter);
    if (letter >= 1 && letter <= 127)
        label += std::string(1, static_cast<char>(letter)) + ":  ";
    label += BlockName(look.record);
    label += "  ";
    label += GetFileSystem(static_cast<enumFILE_SYSTEM_TYPE>(look.record.FileSystemType), look.record.PartitionType);
    return label;
}

std::string BlockSizeText(const DeviceBlockLook& look)
{
    return GetFileSizeString(static_cast<long long>(look.record.SectorCount) * 512);
}

bool ShowsUsedBar(const DeviceBlockLook& look)
{
    return look.usedShare > 0.01;
}
