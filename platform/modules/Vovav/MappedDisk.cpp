// Disk access for the boot-record walk on Linux: the disks of the disk map.
#include <fcntl.h>
#include <unistd.h>

#include "BootRecordWalk.h"
#include "CDiskMap.h"

bool ReadDiskSector(int fd, uint64_t sector, unsigned char* out)
{
    return pread(fd, out, 512, static_cast<off_t>(sector * 512)) == 512;
}

int OpenMappedDisk(unsigned long disk)
{
    DiskMapEntry entry;
    if (!CDiskMap().FindByDeviceName(CDiskMap::DeviceName(static_cast<unsigned>(disk)), entry))
        return -1;
    return open(entry.path.c_str(), O_RDONLY | O_CLOEXEC);
}
