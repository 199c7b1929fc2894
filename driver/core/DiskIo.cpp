// Reads and writes of a child disk as its worker serves them.
#include "BootRecord.h"
#include "DiskImage.h"
#include "DiskWorker.h"
#include "WriteOverlay.h"

namespace zedisk {

namespace {

// Track 0 holds the made-up boot record: changing it is refused.
constexpr uint64_t kTrackZeroBytes = 63 * 512;

} // namespace

ZdStatus ReadDisk(ZdChild* child, uint64_t offset, uint8_t* buffer, uint32_t length)
{
    if (child->isBus)
        return ZD_STATUS_INVALID_DEVICE_REQUEST;
    if (child->pnpState == ZD_PNP_DELETED || child->image == nullptr)
        return ZD_STATUS_NO_SUCH_DEVICE;
    const uint32_t sectorSize = child->SectorSize();
    const int64_t sector = static_cast<int64_t>(offset / sectorSize);
    ZdStatus status = DiskImageRead(child->image, sector - 63, buffer, length / sectorSize);
    if (!ZdSucceeded(status))
        return ZD_STATUS_DEVICE_DATA_ERROR;
    if (sector == 0 && length >= 512) {
        BootRecordInput input;
        input.fileSystem = child->FileSystem();
        input.partitionType = child->record[ZEDISK_RECORD_PARTITION_TYPE];
        input.volumeSectors = child->VolumeSectors();
        input.diskId = child->DiskId();
        input.serial = child->serial;
        WriteBootRecord(buffer, input);
    }
    if (child->overlay != nullptr)
        child->overlay->LayOver(offset, buffer, length);
    return ZD_STATUS_SUCCESS;
}

ZdStatus WriteDisk(ZdChild* child, uint64_t offset, const uint8_t* data, uint32_t length)
{
    if (length == 0)
        return ZD_STATUS_SUCCESS;
    uint8_t* scratch = static_cast<uint8_t*>(ZdPortAllocate(length, ZD_TAG_BUS));
    if (scratch == nullptr)
        return ZD_STATUS_INSUFFICIENT_RESOURCES;
    const ZdStatus status = ReadDisk(child, offset, scratch, length);
    const bool same = ZdSucceeded(status) && ZdSame(scratch, data, length);
    ZdPortFree(scratch, ZD_TAG_BUS);
    if (!ZdSucceeded(status))
        return status;
    if (same)
        return ZD_STATUS_SUCCESS;
    if (offset == 0 && length <= kTrackZeroBytes)
        return ZD_STATUS_MEDIA_WRITE_PROTECTED;
    if (child->overlay == nullptr) {
        child->overlay = new WriteOverlay;
        if (child->overlay == nullptr)
            return ZD_STATUS_INSUFFICIENT_RESOURCES;
    }
    return child->overlay->Store(offset, data, length);
}

} // namespace zedisk
