// Where the disks of the disk map end and where a file lies among them, on Linux:
// the disk map's sizes, and the file's device found through /sys and the mount table.
#include "CDiskMap.h"
#include "CDiskMapRestoreDisks.h"
#include "DiskFilePlace.h"
#include "KSPlatformControl.h"

uint64_t CDiskMapRestoreDisks::DiskSectors(unsigned disk)
{
    for (const DiskMapEntry& entry : CDiskMap().Disks())
        if (entry.number == disk)
            return entry.sectors;
    return 0;
}

RestoreFilePlace CDiskMapRestoreDisks::PlaceOfFile(const std::wstring& path)
{
    // Disks of the machine and disk-image files alike (DiskFilePlace.h).
    const DiskFilePlace found = FindDiskFilePlace(KSPlatformHostPath(path.c_str()));
    RestoreFilePlace place;
    place.onDisk = found.onDisk;
    place.disk = found.disk;
    place.start = found.start;
    place.sectors = found.sectors;
    return place;
}
