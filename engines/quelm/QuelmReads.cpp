// Reads and writes of sectors: snapshot reads over the urgent-block store and the
// driver, and the volume's current sectors through the driver, in chunks of at most
// 128 sectors.
#include <cinttypes>
#include <cstring>
#include <new>
#include <vector>

#include "KSSnapRecords.h"
#include "QuelmContext.h"
#include "QuelmKinds.h"
#include "QuelmTrace.h"

using namespace quelm_kinds;

unsigned long QuelmContext::ReadSnapshot(uint64_t firstSector, uint32_t count, void* buffer, uint8_t flag)
{
    if (buffer == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    std::lock_guard<std::mutex> reads(storeReadLock_);
    // A block the drain thread could not keep is lost: no snapshot read is good now.
    const unsigned long failure = drainFailure_.load();
    if (failure != 0)
        return failure;
    return ReadSnapshotRange(firstSector, count, static_cast<unsigned char*>(buffer), flag);
}

// The store answers with the first stored extent in the range, so what lies before
// it comes from the driver; what lies after it is looked up again.
unsigned long QuelmContext::ReadSnapshotRange(uint64_t firstSector, uint32_t count, unsigned char* buffer,
                                              uint8_t flag)
{
    while (count != 0) {
        if (store_ == nullptr || !store_->Contains(firstSector, count))
            return ReadFromDriver(firstSector, count, buffer, flag);
        uint64_t first = firstSector;
        uint32_t found = count;
        // The overlap lands at the buffer's start and moves to its place.
        unsigned long rc = store_->Read(&first, &found, buffer);
        if (KSFailed(rc))
            return rc;
        const uint64_t before = first - firstSector;
        std::memmove(buffer + before * kSector, buffer, static_cast<size_t>(found) * kSector);
        if (before != 0 && KSFailed(rc = ReadFromDriver(firstSector, static_cast<uint32_t>(before), buffer, flag)))
            return rc;
        const uint64_t done = before + found;
        firstSector += done;
        buffer += done * kSector;
        count -= static_cast<uint32_t>(done);
    }
    return 0;
}

unsigned long QuelmContext::ReadFromDriver(uint64_t firstSector, uint32_t count, unsigned char* buffer, uint8_t flag)
{
    while (count != 0) {
        const uint32_t chunk = count < kChunkSectors ? count : kChunkSectors;
        if (chunk > exchangeSectors_)
            return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
        uint64_t next = firstSector;
        uint32_t remaining = chunk;
        unsigned char* at = buffer;
        while (remaining != 0) {
            SNAP_READ_RECORD record;
            record.SnapshotId = snapshotId_;
            record.FirstSector = next;
            record.SectorCount = remaining;
            record.VolumeId = volumeId_;
            record.Flag = flag;
            unsigned char bytes[SNAP_READ_RECORD_BYTES] = {};
            StoreSnapReadRecord(bytes, record);
            const DWORD started = GetTickCount();
            const unsigned long rc = Control(IOCTL_SNAP_READ_SNAPSHOT, bytes, sizeof(bytes));
            snapshotReadMs_ += GetTickCount() - started;
            const SNAP_READ_RECORD answer = LoadSnapReadRecord(bytes);
            if (KSFailed(rc) || answer.SectorCount == 0) {
                char volume[64] = {};
                for (size_t i = 0; i < volumeName_.size() && i + 1 < sizeof(volume); ++i)
                    volume[i] = static_cast<char>(volumeName_[i]);
                QuelmDebugLine("Volume %s, read 0x%08" PRIX64 ", 0x%04X failed!\n", volume, next, remaining);
                return KS_RESULT(KS_MODULE_BACKUP, kSectorRead);
            }
            const uint32_t delivered = answer.SectorCount < remaining ? answer.SectorCount : remaining;
            std::memcpy(at, exchange_.get(), static_cast<size_t>(delivered) * kSector);
            lastReadOutValue_ = answer.OutValue;
            next += delivered;
            at += static_cast<size_t>(delivered) * kSector;
            remaining -= delivered;
        }
        firstSector += chunk;
        buffer += static_cast<size_t>(chunk) * kSector;
        count -= chunk;
    }
    return 0;
}

unsigned long QuelmContext::SaveUrgentBlock(uint64_t firstSector, uint32_t count, const void* data)
{
    if (store_ == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, kNotReady);
    std::lock_guard<std::mutex> reads(storeReadLock_);
    return store_->Save(firstSector, count, data);
}

// A sector request of the driver: its head, then room for chunk sectors.
bool QuelmContext::SectorRecord(uint64_t firstSector, uint32_t chunk, std::vector<unsigned char>& record) const
{
    try {
        record.resize(SNAP_SECTOR_HEAD_BYTES + static_cast<size_t>(chunk) * kSector);
    } catch (const std::bad_alloc&) {
        return false;
    }
    SNAP_SECTOR_HEAD head;
    head.VolumeId = volumeId_;
    head.SectorCount = chunk;
    head.FirstSector = firstSector;
    StoreSnapSectorHead(record.data(), head);
    return true;
}

unsigned long QuelmContext::ReadSectors(uint64_t firstSector, uint32_t count, void* buffer)
{
    unsigned char* at = static_cast<unsigned char*>(buffer);
    while (count != 0) {
        const uint32_t chunk = count < kChunkSectors ? count : kChunkSectors;
        std::vector<unsigned char> record;
        if (!SectorRecord(firstSector, chunk, record))
            return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY);
        const DWORD started = GetTickCount();
        const unsigned long rc =
            ControlOut(IOCTL_SNAP_READ_SECTORS, record.data(), static_cast<DWORD>(record.size()));
        directReadMs_ += GetTickCount() - started;
        if (KSFailed(rc))
            return rc;
        std::memcpy(at, record.data() + SNAP_SECTOR_HEAD_BYTES, static_cast<size_t>(chunk) * kSector);
        at += static_cast<size_t>(chunk) * kSector;
        firstSector += chunk;
        count -= chunk;
    }
    return 0;
}

unsigned long QuelmContext::WriteSectors(uint64_t firstSector, uint32_t count, const void* data)
{
    const unsigned char* at = static_cast<const unsigned char*>(data);
    while (count != 0) {
        const uint32_t chunk = count < kChunkSectors ? count : kChunkSectors;
        std::vector<unsigned char> record;
        if (!SectorRecord(firstSector, chunk, record))
            return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY);
        std::memcpy(record.data() + SNAP_SECTOR_HEAD_BYTES, at, static_cast<size_t>(chunk) * kSector);
        const unsigned long rc =
            ControlOut(IOCTL_SNAP_WRITE_SECTORS, record.data(), static_cast<DWORD>(record.size()));
        if (KSFailed(rc))
            return rc;
        at += static_cast<size_t>(chunk) * kSector;
        firstSector += chunk;
        count -= chunk;
    }
    return 0;
}
