// Disk and partition records for the clone's unit tests, on a 255-head, 63-sector
// geometry unless a test says otherwise.
#pragma once

#include <cstring>

#include "CloneDiskRecords.h"
#include "vessmar/FileSystemType.h"

constexpr uint32_t kTestCylinder = 255 * 63;

inline _KS_DISK_INFO TestDisk(uint64_t sectors, uint32_t heads = 255, uint32_t spt = 63)
{
    _KS_DISK_INFO d;
    std::memset(&d, 0, sizeof d);
    d.TotalSectors = sectors;
    d.TracksPerCylinder = heads;
    d.SectorsPerTrack = spt;
    d.DiskType = 2;
    d.BytesPerSector = 512;
    return d;
}

inline _KS_PARTITION_INFO TestPart(uint32_t fs, uint8_t type, uint64_t start, uint64_t count, uint64_t used,
                                   bool primary = true, uint64_t hidden = 0, uint8_t flags = 0, uint32_t cluster = 8)
{
    _KS_PARTITION_INFO p;
    std::memset(&p, 0, sizeof p);
    p.FileSystemType = fs;
    p.PartitionType = type;
    p.StartSector = start;
    p.SectorCount = count;
    p.UsedSectors = used;
    p.Primary = primary ? 1 : 0;
    p.HiddenSectors = hidden;
    p.Flags = flags;
    p.SectorsPerCluster = cluster;
    return p;
}

// A packed record's field by value: the test macros bind their arguments by reference.
template <class T>
T Val(T value)
{
    return value;
}
