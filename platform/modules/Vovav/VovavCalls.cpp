#include <unistd.h>

#include "BootRecordWalk.h"
#include "LittleEndian.h"
#include "Vovav.h"

#include "VovavExport.h"

extern "C" VOVAV_EXPORT uint32_t Bcd_GetDiskSignature(unsigned long disk)
{
    const int fd = OpenMappedDisk(disk);
    if (fd < 0)
        return 0;
    unsigned char mbr[512];
    const bool ok = ReadDiskSector(fd, 0, mbr);
    close(fd);
    return ok ? LoadLE32(mbr + 440) : 0;
}

extern "C" VOVAV_EXPORT unsigned long BootIni_GetArcInfo(unsigned long disk, unsigned long long startSector,
                                                         unsigned long* record)
{
    if (record == nullptr)
        return 1;
    const int fd = OpenMappedDisk(disk);
    if (fd < 0)
        return 1;
    std::vector<uint64_t> starts;
    const bool ok = WalkBootRecords(fd, starts);
    close(fd);
    if (!ok)
        return 1;
    for (size_t i = 0; i < starts.size(); ++i) {
        if (starts[i] != startSector)
            continue;
        record[KS_ARC_CONTROLLER] = 0;
        record[KS_ARC_DISK] = 0;
        record[KS_ARC_RDISK] = disk;
        record[KS_ARC_PARTITION] = static_cast<unsigned long>(i + 1);
        record[KS_ARC_RESERVED] = 0;
        return 0;
    }
    return 1;
}
