// Creating, starting and stopping the snapshot in the driver, and the requests that
// only pass a record through.
#include <cstring>
#include <new>

#include "KSSnapRecords.h"
#include "QuelmContext.h"
#include "QuelmKinds.h"

using namespace quelm_kinds;

namespace {
// The cache sizes tried in turn: as large as the driver accepts.
constexpr uint32_t kCacheSizes[] = {0x2000000, 0x1800000, 0x1000000, 0x800000};
constexpr uint32_t kExchangeBytes = 0x200000;
} // namespace

unsigned long QuelmContext::CreateSnapshot(uint64_t firstSector, uint64_t sectorCount, uint32_t sectorsPerBit)
{
    if (snapshotCreated_ || drainThread_ != nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, kNotReady);
    for (uint32_t cacheBytes : kCacheSizes) {
        const unsigned long rc = CreateAttempt(cacheBytes, firstSector, sectorCount, sectorsPerBit);
        if (KSSucceeded(rc))
            return 0;
        if (KSResultKind(rc) == KS_KIND_BAD_ARGUMENT)
            return rc;
    }
    return KS_RESULT(KS_MODULE_BACKUP, kSnapshotCreate);
}

// One attempt: the store, the drain thread, the ring and the driver's snapshot. A
// failed attempt takes down all it made, its own drain thread included, so no two
// threads ever share a ring.
unsigned long QuelmContext::CreateAttempt(uint32_t cacheBytes, uint64_t firstSector, uint64_t sectorCount,
                                          uint32_t sectorsPerBit)
{
    unsigned long rc = 0;
    store_ = UrgPipe::Create(tempFolder_.c_str(), volumeName_.c_str(), &rc);
    if (store_ == nullptr)
        return rc;
    drainFailure_.store(0);
    ResetEvent(stopEvent_);
    drainThread_ = CreateThread(nullptr, 0, DrainMain, this, 0, nullptr);
    if (drainThread_ == nullptr) {
        FreeSnapshot();
        return KS_RESULT(KS_MODULE_BACKUP, kCreateObject);
    }
    SetThreadPriority(drainThread_, THREAD_PRIORITY_HIGHEST);

    ring_.reset(new (std::nothrow) unsigned char[cacheBytes]());
    if (!ring_) {
        StopDrainThread();
        FreeSnapshot();
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY);
    }
    ringBytes_ = cacheBytes;

    SNAP_CREATE_RECORD record;
    record.VolumeId = volumeId_;
    record.FirstSector = firstSector;
    record.SectorCount = sectorCount;
    record.Semaphore = SnapAddressValue(semaphore_);
    record.Mutex = SnapAddressValue(ringMutex_);
    record.RingAddress = SnapAddressValue(ring_.get());
    record.RingSize = cacheBytes;
    record.SectorsPerBit = sectorsPerBit;
    const std::wstring path = L"\\??\\" + volumeName_;
    for (size_t i = 0; i < path.size() && i + 1 < SNAP_CREATE_PATH_CHARS; ++i)
        record.VolumePath[i] = static_cast<char16_t>(path[i]);
    unsigned char buffer[SNAP_CREATE_RECORD_BYTES] = {};
    StoreSnapCreateRecord(buffer, record);
    rc = Control(IOCTL_SNAP_CREATE, buffer, sizeof(buffer));
    if (KSSucceeded(rc)) {
        const SNAP_CREATE_RECORD answer = LoadSnapCreateRecord(buffer);
        snapshotId_ = answer.SnapshotId;
        driverSectorSize_ = answer.SectorSize;
        echoedFirstSector_ = answer.FirstSector;
        echoedSectorCount_ = answer.SectorCount;
        echoedSectorsPerBit_ = answer.SectorsPerBit;
        snapshotCreated_ = true;
        // The client and its store count 512-byte sectors: another size cannot be served.
        if (driverSectorSize_ != kSector) {
            DeleteInDriver();
            rc = KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
        }
    }
    if (KSFailed(rc)) {
        StopDrainThread();
        FreeSnapshot();
    }
    return rc;
}

unsigned long QuelmContext::StartSnapshot()
{
    unsigned char id[SNAP_START_BYTES] = {};
    StoreLE64(id, snapshotId_);
    return Control(IOCTL_SNAP_START, id, sizeof(id));
}

unsigned long QuelmContext::StopSnapshot()
{
    unsigned char stop[SNAP_STOP_BYTES] = {};
    StoreLE64(stop, snapshotId_);
    return Control(IOCTL_SNAP_STOP, stop, sizeof(stop));
}

unsigned long QuelmContext::SendControl()
{
    unsigned char id[SNAP_CONTROL_BYTES] = {};
    StoreLE64(id, snapshotId_);
    return Control(IOCTL_SNAP_CONTROL, id, sizeof(id));
}

unsigned long QuelmContext::SetVolumeBitmap(const KS_QUELM_BITMAP_REGION* region)
{
    // A second call (the bitmap after the exchange buffer alone) keeps the buffer the
    // driver already knows.
    if (!exchange_)
        exchange_.reset(new (std::nothrow) unsigned char[kExchangeBytes]);
    if (!exchange_)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY);
    exchangeBytes_ = kExchangeBytes;
    exchangeSectors_ = kExchangeBytes / (driverSectorSize_ != 0 ? driverSectorSize_ : kSector);
    SNAP_BITMAP_RECORD record;
    record.SnapshotId = snapshotId_;
    record.ExchangeAddress = SnapAddressValue(exchange_.get());
    record.ExchangeSize = exchangeBytes_;
    if (region != nullptr) {
        record.BitmapAddress = SnapAddressValue(region->Bitmap);
        record.BitmapFirstSector = region->FirstSector;
        record.BitmapBits = region->BitCount;
        record.SectorsPerBit = region->SectorsPerBit;
    }
    unsigned char buffer[SNAP_BITMAP_RECORD_BYTES] = {};
    StoreSnapBitmapRecord(buffer, record);
    const unsigned long rc = Control(IOCTL_SNAP_SET_BITMAP, buffer, sizeof(buffer));
    if (KSFailed(rc)) {
        exchange_.reset();
        exchangeBytes_ = 0;
        exchangeSectors_ = 0;
    }
    return rc;
}

unsigned long QuelmContext::GetDriverInfo(KS_QUELM_DRIVER_INFO* info)
{
    unsigned char buffer[SNAP_DRIVER_INFO_BYTES] = {};
    const unsigned long rc = Control(IOCTL_SNAP_QUERY_INFO, buffer, sizeof(buffer));
    if (KSFailed(rc))
        return rc;
    const SNAP_DRIVER_INFO answer = LoadSnapDriverInfo(buffer);
    info->Value = answer.Value;
    for (size_t i = 0; i < SNAP_DRIVER_NAME_CHARS; ++i)
        info->Name[i] = static_cast<wchar_t>(static_cast<unsigned char>(answer.Name[i]));
    info->Name[SNAP_DRIVER_NAME_CHARS - 1] = 0;
    return 0;
}
