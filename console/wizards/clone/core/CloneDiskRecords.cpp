#include "CloneDiskRecords.h"

#include <cstring>

#include "ICensa.h"
#include "ITasque.h"
#include "vessmar/FileSystemType.h"

CloneDiskRecords ReadCloneDisk(ITasque& command, unsigned disk)
{
    CloneDiskRecords out;
    std::memset(&out.disk, 0, sizeof out.disk);
    command.EnumGetDiskInfo(disk, &out.disk);
    unsigned long long count = 0;
    if (command.EnumGetPartitionCount(disk, &count) != 0)
        count = 0;
    for (unsigned long long i = 0; i < count; ++i) {
        _KS_PARTITION_INFO record;
        std::memset(&record, 0, sizeof record);
        command.EnumGetPartitionInfo(disk, i, &record);
        out.partitions.push_back(record);
    }
    return out;
}

CloneDiskRecords ReadCloneDisk(ICensa& censa, unsigned disk)
{
    CloneDiskRecords out;
    std::memset(&out.disk, 0, sizeof out.disk);
    censa.GetDiskInfo(disk, &out.disk);
    unsigned long long count = 0;
    if (censa.GetPartitionCount(disk, &count) != 0)
        count = 0;
    for (unsigned long long i = 0; i < count; ++i) {
        _KS_PARTITION_INFO record;
        std::memset(&record, 0, sizeof record);
        censa.GetPartitionInfo(disk, i, &record, nullptr);
        out.partitions.push_back(record);
    }
    return out;
}

bool IsResizableFileSystem(uint32_t fileSystem)
{
    return fileSystem == FILE_SYSTEM_FAT16 || fileSystem == FILE_SYSTEM_FAT32 || fileSystem == FILE_SYSTEM_NTFS;
}

bool IsGrowablePartition(const _KS_PARTITION_INFO& partition)
{
    return IsResizableFileSystem(partition.FileSystemType) && (partition.Flags & kCloneFlagKeepSize) == 0;
}
