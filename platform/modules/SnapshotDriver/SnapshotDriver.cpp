#include "SnapshotDriver.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "KSSnapRecords.h"
#include "SnapshotRingWriter.h"

namespace {
constexpr uint32_t kSnapSector = 512;
constexpr uint32_t kSmallestRing = 0x1000;
constexpr const char kDriverName[] = "zendbakdrv1 stand-in";
constexpr uint32_t kDriverValue = 0x00010001;

// In/out requests give one buffer both ways: at least size bytes each.
bool InOut(const void* in, DWORD inSize, const void* out, DWORD outSize, size_t size)
{
    return in != nullptr && out != nullptr && inSize >= size && outSize >= size;
}
} // namespace

SnapshotDriver& SnapshotDriver::Instance()
{
    static SnapshotDriver* driver = new SnapshotDriver;
    return *driver;
}

void SnapshotDriver::Remove()
{
    std::lock_guard<std::mutex> guard(lock_);
    snapshots_.clear();
    volumes_.clear();
    hook_ = nullptr;
    beforeHook_ = nullptr;
}

std::shared_ptr<SnapshotVolume> SnapshotDriver::VolumeOf(char letter)
{
    std::lock_guard<std::mutex> guard(lock_);
    auto found = volumes_.find(letter);
    if (found != volumes_.end())
        return found->second;
    std::shared_ptr<SnapshotVolume> volume = SnapshotVolume::Open(letter);
    if (volume)
        volumes_[letter] = volume;
    return volume;
}

std::shared_ptr<SnapshotVolume> SnapshotDriver::VolumeById(uint32_t id)
{
    for (const auto& v : volumes_)
        if (v.second->Id() == id)
            return v.second;
    return nullptr;
}

SnapshotState* SnapshotDriver::Find(uint64_t id)
{
    auto found = snapshots_.find(id);
    return found == snapshots_.end() ? nullptr : found->second.get();
}

SnapshotState* SnapshotDriver::RunningOn(const SnapshotVolume& volume)
{
    for (const auto& s : snapshots_)
        if (s.second->Volume()->Id() == volume.Id() && s.second->started)
            return s.second.get();
    return nullptr;
}

DWORD SnapshotDriver::Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned)
{
    returned = 0;
    KSSnapshotDriverCall call;
    call.code = code;
    DWORD error = BeforeAnswer(code, in, inSize, out, outSize);
    if (error != ERROR_SUCCESS) {
        // Refused by the test's hook before the driver looked at it.
    } else if (code == IOCTL_SNAP_WRITE_SECTORS) {
        // A write may wait for room in the ring: it takes the lock itself.
        error = TransferSectors(true, out, outSize, returned, call);
    } else {
        std::lock_guard<std::mutex> guard(lock_);
        auto failure = failures_.find(code);
        error = failure != failures_.end() ? failure->second
                                           : Dispatch(code, in, inSize, out, outSize, returned, call);
    }
    call.succeeded = error == ERROR_SUCCESS;
    std::function<void(uint32_t)> hook;
    {
        std::lock_guard<std::mutex> guard(lock_);
        calls_.push_back(call);
        hook = hook_;
    }
    if (hook && call.succeeded)
        hook(code);
    return error;
}

DWORD SnapshotDriver::Dispatch(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned,
                               KSSnapshotDriverCall& call)
{
    switch (code) {
    case IOCTL_SNAP_QUERY_INFO: {
        if (!InOut(in, inSize, out, outSize, SNAP_DRIVER_INFO_BYTES))
            return ERROR_INVALID_PARAMETER;
        SNAP_DRIVER_INFO info;
        info.Value = kDriverValue;
        std::memcpy(info.Name, kDriverName, sizeof(kDriverName));
        StoreSnapDriverInfo(out, info);
        returned = SNAP_DRIVER_INFO_BYTES;
        return ERROR_SUCCESS;
    }
    case IOCTL_SNAP_CREATE:
        return Create(in, inSize, out, outSize, returned, call);
    case IOCTL_SNAP_READ_SNAPSHOT:
        return ReadSnapshot(in, inSize, out, outSize, returned, call);
    case IOCTL_SNAP_READ_SECTORS:
        return TransferSectors(false, out, outSize, returned, call);
    case IOCTL_SNAP_SET_BITMAP: {
        if (!InOut(in, inSize, out, outSize, SNAP_BITMAP_RECORD_BYTES))
            return ERROR_INVALID_PARAMETER;
        const SNAP_BITMAP_RECORD record = LoadSnapBitmapRecord(in);
        SnapshotState* snapshot = Find(record.SnapshotId);
        if (snapshot == nullptr)
            return ERROR_INVALID_PARAMETER;
        snapshot->exchange = static_cast<unsigned char*>(SnapAddressPointer(record.ExchangeAddress));
        snapshot->exchangeBytes = snapshot->exchange != nullptr ? record.ExchangeSize : 0;
        if (record.BitmapAddress != 0)
            snapshot->alignBase = record.BitmapFirstSector;
        returned = SNAP_BITMAP_RECORD_BYTES;
        return ERROR_SUCCESS;
    }
    case IOCTL_SNAP_START:
    case IOCTL_SNAP_CONTROL:
    case IOCTL_SNAP_STOP:
    case IOCTL_SNAP_DELETE: {
        const DWORD size = code == IOCTL_SNAP_STOP ? SNAP_STOP_BYTES : SNAP_START_BYTES;
        if (!InOut(in, inSize, out, outSize, size))
            return ERROR_INVALID_PARAMETER;
        const uint64_t id = LoadLE64(in);
        SnapshotState* snapshot = Find(id);
        if (snapshot == nullptr)
            return ERROR_INVALID_PARAMETER;
        if (code == IOCTL_SNAP_START)
            snapshot->started = true;
        else if (code == IOCTL_SNAP_STOP)
            snapshot->started = false;
        else if (code == IOCTL_SNAP_DELETE) {
            preservedBlocks_ += snapshot->preservedBlocks;
            snapshots_.erase(id);
        }
        returned = size;
        return ERROR_SUCCESS;
    }
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

DWORD SnapshotDriver::Create(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned,
                             KSSnapshotDriverCall& call)
{
    if (!InOut(in, inSize, out, outSize, SNAP_CREATE_RECORD_BYTES))
        return ERROR_INVALID_PARAMETER;
    SNAP_CREATE_RECORD record = LoadSnapCreateRecord(in);
    call.ringSize = record.RingSize;
    call.firstSector = record.FirstSector;
    if (refusedCacheSizes_.count(record.RingSize) != 0)
        return ERROR_NOT_ENOUGH_MEMORY;
    std::shared_ptr<SnapshotVolume> volume = VolumeById(record.VolumeId);
    if (!volume || record.RingAddress == 0 || record.RingSize < kSmallestRing || record.Semaphore == 0 ||
        record.Mutex == 0)
        return ERROR_INVALID_PARAMETER;
    for (const auto& s : snapshots_)
        if (s.second->Volume()->Id() == volume->Id())
            return ERROR_BUSY;
    const uint64_t id = nextId_++;
    snapshots_[id] = std::make_unique<SnapshotState>(id, volume, record);
    record.SnapshotId = id;
    record.SectorSize = sectorSize_;
    StoreSnapCreateRecord(out, record);
    returned = SNAP_CREATE_RECORD_BYTES;
    return ERROR_SUCCESS;
}

DWORD SnapshotDriver::ReadSnapshot(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned,
                                   KSSnapshotDriverCall& call)
{
    if (!InOut(in, inSize, out, outSize, SNAP_READ_RECORD_BYTES))
        return ERROR_INVALID_PARAMETER;
    SNAP_READ_RECORD record = LoadSnapReadRecord(in);
    call.firstSector = record.FirstSector;
    call.sectorCount = record.SectorCount;
    SnapshotState* snapshot = Find(record.SnapshotId);
    if (snapshot == nullptr || record.VolumeId != snapshot->Volume()->Id() || snapshot->exchange == nullptr)
        return ERROR_INVALID_PARAMETER;
    // As much as the exchange buffer holds.
    uint32_t count = std::min<uint32_t>(record.SectorCount, snapshot->exchangeBytes / kSnapSector);
    const uint64_t sectors = snapshot->Volume()->Sectors();
    if (record.FirstSector >= sectors)
        count = 0;
    else
        count = static_cast<uint32_t>(std::min<uint64_t>(count, sectors - record.FirstSector));
    if (count != 0) {
        const DWORD error = snapshot->ReadSnapshot(record.FirstSector, count, forget_, snapshot->exchange);
        if (error != ERROR_SUCCESS)
            return error;
    }
    record.SectorCount = count;
    record.OutValue = count;
    record.OutFlag = 0;
    StoreSnapReadRecord(out, record);
    returned = SNAP_READ_RECORD_BYTES;
    return ERROR_SUCCESS;
}

DWORD SnapshotDriver::TransferSectors(bool write, void* out, DWORD outSize, DWORD& returned,
                                      KSSnapshotDriverCall& call)
{
    if (out == nullptr || outSize < SNAP_SECTOR_HEAD_BYTES)
        return ERROR_INVALID_PARAMETER;
    const SNAP_SECTOR_HEAD head = LoadSnapSectorHead(out);
    call.firstSector = head.FirstSector;
    call.sectorCount = head.SectorCount;
    if (outSize < SNAP_SECTOR_HEAD_BYTES + uint64_t{head.SectorCount} * kSnapSector)
        return ERROR_INSUFFICIENT_BUFFER;
    unsigned char* data = static_cast<unsigned char*>(out) + SNAP_SECTOR_HEAD_BYTES;
    std::shared_ptr<SnapshotVolume> volume;
    {
        std::unique_lock<std::mutex> guard(lock_, std::defer_lock);
        if (write)
            guard.lock();
        auto failure = failures_.find(write ? IOCTL_SNAP_WRITE_SECTORS : IOCTL_SNAP_READ_SECTORS);
        if (failure != failures_.end())
            return failure->second;
        volume = VolumeById(head.VolumeId);
    }
    if (!volume)
        return ERROR_INVALID_PARAMETER;
    const DWORD error =
        write ? WriteVolume(volume, head.FirstSector, head.SectorCount, data) : volume->Read(head.FirstSector, head.SectorCount, data);
    if (error == ERROR_SUCCESS)
        returned = static_cast<DWORD>(SNAP_SECTOR_HEAD_BYTES + uint64_t{head.SectorCount} * kSnapSector);
    return error;
}

DWORD SnapshotDriver::WriteVolume(const std::shared_ptr<SnapshotVolume>& volume, uint64_t first, uint32_t count,
                                  const void* data)
{
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            SnapshotState* snapshot = RunningOn(*volume);
            DWORD error = ERROR_SUCCESS;
            const SnapshotState::Preserve result =
                snapshot != nullptr ? snapshot->PreserveBefore(first, count, forget_, error)
                                    : SnapshotState::Preserve::Done;
            if (result == SnapshotState::Preserve::Done)
                return volume->Write(first, count, data);
            if (result == SnapshotState::Preserve::Failed)
                return error;
        }
        // The ring is full: wait for the client to drain it, never drop a block.
        if (std::chrono::steady_clock::now() - started > std::chrono::milliseconds(ringWaitMs_))
            return ERROR_BUSY;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void SnapshotDriver::RefuseCacheSize(uint32_t bytes)
{
    std::lock_guard<std::mutex> guard(lock_);
    refusedCacheSizes_.insert(bytes);
}

void SnapshotDriver::FailControl(uint32_t code, DWORD error)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (error == ERROR_SUCCESS)
        failures_.erase(code);
    else
        failures_[code] = error;
}

DWORD SnapshotDriver::BeforeAnswer(DWORD code, const void* in, DWORD inSize, const void* out, DWORD outSize)
{
    std::function<DWORD(const KSSnapshotDriverCall&)> hook;
    {
        std::lock_guard<std::mutex> guard(lock_);
        hook = beforeHook_;
    }
    if (!hook)
        return ERROR_SUCCESS;
    KSSnapshotDriverCall call;
    call.code = code;
    if (code == IOCTL_SNAP_READ_SNAPSHOT && in != nullptr && inSize >= SNAP_READ_RECORD_BYTES) {
        const SNAP_READ_RECORD record = LoadSnapReadRecord(in);
        call.firstSector = record.FirstSector;
        call.sectorCount = record.SectorCount;
    } else if ((code == IOCTL_SNAP_READ_SECTORS || code == IOCTL_SNAP_WRITE_SECTORS) && out != nullptr &&
               outSize >= SNAP_SECTOR_HEAD_BYTES) {
        const SNAP_SECTOR_HEAD head = LoadSnapSectorHead(out);
        call.firstSector = head.FirstSector;
        call.sectorCount = head.SectorCount;
    }
    return hook(call);
}

void SnapshotDriver::BeforeRequest(std::function<DWORD(const KSSnapshotDriverCall&)> hook)
{
    std::lock_guard<std::mutex> guard(lock_);
    beforeHook_ = std::move(hook);
}

void SnapshotDriver::OnRequest(std::function<void(uint32_t)> hook)
{
    std::lock_guard<std::mutex> guard(lock_);
    hook_ = std::move(hook);
}

void SnapshotDriver::SetSectorSize(uint32_t bytes)
{
    std::lock_guard<std::mutex> guard(lock_);
    sectorSize_ = bytes;
}

void SnapshotDriver::ForgetUnlinked(bool forget)
{
    std::lock_guard<std::mutex> guard(lock_);
    forget_ = forget;
}

void SnapshotDriver::SetRingWait(DWORD milliseconds)
{
    std::lock_guard<std::mutex> guard(lock_);
    ringWaitMs_ = milliseconds;
}

std::vector<KSSnapshotDriverCall> SnapshotDriver::Calls()
{
    std::lock_guard<std::mutex> guard(lock_);
    return calls_;
}

uint64_t SnapshotDriver::PreservedBlocks()
{
    std::lock_guard<std::mutex> guard(lock_);
    uint64_t blocks = preservedBlocks_;
    for (const auto& s : snapshots_)
        blocks += s.second->preservedBlocks;
    return blocks;
}

unsigned SnapshotDriver::LiveSnapshots()
{
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<unsigned>(snapshots_.size());
}

unsigned SnapshotDriver::QueuedBlocks()
{
    std::lock_guard<std::mutex> guard(lock_);
    unsigned queued = 0;
    for (const auto& s : snapshots_)
        queued += s.second->QueuedEntries();
    return queued;
}
