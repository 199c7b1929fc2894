#include "CloneCopyQueue.h"

#include <cstring>

#include "ClonePlanCheck.h"
#include "ITasque.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IManagerItem.h"

unsigned long QueueCloneCopies(ITasque& command, const std::vector<_RESTORE_INFO>& source,
                               std::vector<_RESTORE_INFO>& restore, const std::vector<AddPartitionParam>& add)
{
    for (size_t i = 0; i < source.size() && i < restore.size(); ++i) {
        restore[i].VolumeType = source[i].VolumeType;
        const bool bySector = i >= add.size() || IsSectorBySectorCopy(add[i].FileSystem);
        const unsigned long result = command.AddDiskRestore(
            &source[i], &restore[i], bySector ? kCloneCopySectorBySector : kCloneCopyByFileSystem);
        if (result != 0)
            return result;
    }
    return 0;
}

uint32_t CloneDiskTrack(ITasque& command, uint8_t disk)
{
    IManagerItem* item = nullptr;
    if (command.GetDiskItem(disk, &item) != 0 || item == nullptr)
        return 0;
    IDiskGeometry* geometry = item->GetInterfaceT<IDiskGeometry>(MomGetTypeNameT<IDiskGeometry>());
    return geometry != nullptr ? geometry->GetSectorsPerTrack() : 0;
}

unsigned long CloneDiskMBR(ITasque& command, int sourceDisk, int targetDisk)
{
    _RESTORE_INFO from, to;
    std::memset(&from, 0, sizeof from);
    std::memset(&to, 0, sizeof to);
    from.DiskNumber = static_cast<uint8_t>(sourceDisk);
    from.SectorCount = CloneDiskTrack(command, from.DiskNumber);
    to.DiskNumber = static_cast<uint8_t>(targetDisk);
    to.SectorCount = CloneDiskTrack(command, to.DiskNumber);
    return command.AddDiskRestore(&from, &to, kCloneCopySectorBySector);
}
