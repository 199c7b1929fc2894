// The partition group of the command object: edits through the executor's device
// manager, and the file-system check.
#include <cstring>

#include "CTasque.h"
#include "TasqueResults.h"

unsigned long CTasque::DeletePartition(uint8_t disk, unsigned long long firstSector, unsigned long long sectorCount)
{
    return SendDiskRange(TASQUE_CMD_DELETE_PARTITION, disk, firstSector, sectorCount);
}

unsigned long CTasque::IsBadDisk(uint8_t disk, unsigned long long firstSector, unsigned long long lastSector)
{
    return SendDiskRange(TASQUE_CMD_IS_BAD_DISK, disk, firstSector, lastSector);
}

unsigned long CTasque::AddPartition(uint8_t disk, AddPartitionParam record)
{
    KS_CMD_ADD_PARTITION_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_ADD_PARTITION);
    request.Disk = disk;
    std::memcpy(&request.Param, &record, sizeof record);
    return Send(request);
}

unsigned long CTasque::FindPartition(uint8_t disk, unsigned long long firstSector, unsigned long long sectorCount,
                                     IManagerItem** item)
{
    if (item == nullptr)
        return TasqueResult::kFindPartitionNull;
    KS_CMD_ITEM_REPLY reply{};
    reply.Item = reinterpret_cast<void**>(item);
    return SendDiskRange(TASQUE_CMD_FIND_PARTITION, disk, firstSector, sectorCount, &reply.Header);
}

unsigned long CTasque::GetDiskItem(uint8_t disk, IManagerItem** item)
{
    if (item == nullptr)
        return TasqueResult::kGetDiskItemNull;
    KS_CMD_ITEM_REPLY reply{};
    reply.Item = reinterpret_cast<void**>(item);
    return SendDiskRange(TASQUE_CMD_GET_DISK_ITEM, disk, 0, 0, &reply.Header);
}

// Every word may be 0 (disk 0, a partition below 4 GiB sectors), so none is refused.
unsigned long CTasque::CheckFileSystem(unsigned long disk, unsigned long firstLow, unsigned long firstHigh,
                                       unsigned long reserved)
{
    KS_CMD_WORDS_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_CHECK_FILE_SYSTEM);
    request.Words[0] = static_cast<uint32_t>(disk);
    request.Words[1] = static_cast<uint32_t>(firstLow);
    request.Words[2] = static_cast<uint32_t>(firstHigh);
    request.Words[3] = static_cast<uint32_t>(reserved);
    return Send(request);
}
