#include "DeviceListRows.h"

#include <cstring>

#include "CDeviceBlock.h"
#include "ITasque.h"
#include "PartitionRules.h"
#include "RecoveryEnv.h"

namespace {

constexpr long long kSectorBytes = 512;

void SizeTexts(long long total, long long used, DeviceRowTexts& out)
{
    out.size = GetFileSizeString(total * kSectorBytes);
    out.used = GetFileSizeString(used * kSectorBytes);
    out.unused = total - used < 0 ? "0.00 KB" : GetFileSizeString((total - used) * kSectorBytes);
}

} // namespace

bool DevicePartitionRowTexts(const __PARTITION_INFO_CMD& record, bool showUnallocated, DeviceRowTexts& out)
{
    out = DeviceRowTexts();
    if (record.PartitionType != 0) {
        const std::string name(record.VolumeLabel, strnlen(record.VolumeLabel, sizeof record.VolumeLabel));
        out.partition = "*: " + name;
        out.type = GetFileSystem(static_cast<enumFILE_SYSTEM_TYPE>(record.FileSystemType), record.PartitionType);
        out.status = (record.Flags & KS_PART_FLAG_ACTIVE) != 0 ? "Active" : "None";
        out.priLog = record.Primary != 0 ? "Primary" : "Logical";
    } else {
        if (!showUnallocated)
            return false;
        out.partition = "*";
        out.type = "Unallocated";
        out.status = "None";
        out.priLog = "Logical";
    }
    SizeTexts(static_cast<long long>(record.SectorCount), static_cast<long long>(record.UsedSectors), out);
    return true;
}

bool IsWholeDiskKind(const _KS_DISK_INFO& disk)
{
    return disk.DiskType == 0 || disk.DiskType == 1;
}

DeviceRowTexts WholeDiskRowTexts(const _KS_DISK_INFO& disk)
{
    DeviceRowTexts out;
    out.partition = "Local Disk";
    out.type = disk.DiskType == 0 ? "Dynamic" : "GPT";
    out.size = GetFileSizeString(static_cast<long long>(disk.TotalSectors) * kSectorBytes);
    out.used = out.size;
    out.unused = "0Kb";
    out.status = "None";
    out.priLog = "Primary";
    return out;
}

std::string DeviceDiskTitleShown(const std::string& title, bool checkBoxDrawn, bool noEmptySuffix)
{
    return checkBoxDrawn || noEmptySuffix ? title : title + " Empty Disk";
}

DeviceListContents EnumerateDeviceList(ITasque* command, bool showUnallocated)
{
    DeviceListContents out;
    if (command == nullptr)
        return out;
    unsigned long long diskCount = 0;
    command->EnumGetDiskCount(&diskCount);
    for (unsigned long long d = 0; d < diskCount; ++d) {
        DeviceDiskRows disk;
        disk.disk = static_cast<int>(d);
        disk.title = "Disk " + std::to_string(d + 1);
        _KS_DISK_INFO info;
        std::memset(&info, 0, sizeof info);
        // A listed disk that is not there (a missing disk image) cannot be read: it
        // gets no row, as the wizards offer it nowhere, and the disks after it keep
        // their numbers.
        if (command->EnumGetDiskInfo(d, &info) != 0)
            continue;
        if (IsWholeDiskKind(info)) {
            disk.children.push_back(DevicePartitionRow{0, WholeDiskRowTexts(info), true, 0});
            out.disks.push_back(disk);
            continue;
        }
        unsigned long long count = 0;
        command->EnumGetPartitionCount(d, &count);
        // Partition numbers are one byte: a disk lists at most 256 partitions.
        for (unsigned long long p = 0; p < count && p < 256; ++p) {
            __PARTITION_INFO_CMD record;
            std::memset(&record, 0, sizeof record);
            if (command->EnumGetPartitionInfo(d, p, &record) != 0)
                break;
            DevicePartitionRow row{static_cast<int>(p), DeviceRowTexts(), record.PartitionType != 0 && record.Primary,
                                   IsCurrentSystemPath(disk.disk, static_cast<int>(p), command)};
            if (!DevicePartitionRowTexts(record, showUnallocated, row.texts))
                continue;
            if (row.primary)
                ++out.primaryCount;
            disk.children.push_back(row);
            DevicePartitionEntry entry;
            entry.disk = d;
            entry.partition = static_cast<uint8_t>(p);
            std::memcpy(&entry.record, &record, sizeof record);
            out.entries.push_back(entry);
        }
        out.disks.push_back(disk);
    }
    return out;
}

void FindDevicePartition(const std::vector<DevicePartitionEntry>& entries, uint64_t disk, uint8_t partition,
                         __PARTITION_INFO_CMD& out)
{
    // Byte 164 (the dynamic-disk byte) at 1 tells "no record of its own" to the
    // drawing, unless a matching record below overwrites it.
    out.DynamicDisk = 1;
    for (const DevicePartitionEntry& entry : entries)
        if (entry.disk == disk && entry.partition == partition) {
            std::memcpy(&out, &entry.record, sizeof out);
            return;
        }
}
