// One snapshot client context: a volume, its snapshot in the driver, the change ring
// the driver fills, the drain thread that empties it into the caller's callback or
// the urgent-block store, and the reads that combine the store with the driver's.
#pragma once

#include <vector>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "IKSQuelm.h"
#include "KSSnapChangeRing.h"
#include "UrgPipe.h"

class QuelmContext {
public:
    QuelmContext();
    ~QuelmContext();
    QuelmContext(const QuelmContext&) = delete;
    QuelmContext& operator=(const QuelmContext&) = delete;

    unsigned long Open(const wchar_t* volumeName, const wchar_t* tempFolder);
    // Ends the snapshot and frees everything; acts once per Open (later calls return
    // 0). Returns the drain thread's failure, if it had one.
    unsigned long Close();
    unsigned long CreateSnapshot(uint64_t firstSector, uint64_t sectorCount, uint32_t sectorsPerBit);
    unsigned long StartSnapshot();
    unsigned long SetVolumeBitmap(const KS_QUELM_BITMAP_REGION* region);
    unsigned long StopSnapshot();
    unsigned long GetDriverInfo(KS_QUELM_DRIVER_INFO* info);
    unsigned long SendControl();
    void SetCallBack(void* user, KS_QUELM_BLOCK_CALLBACK callback);
    unsigned long ReadSnapshot(uint64_t firstSector, uint32_t count, void* buffer, uint8_t flag);
    unsigned long SaveUrgentBlock(uint64_t firstSector, uint32_t count, const void* data);
    unsigned long ReadSectors(uint64_t firstSector, uint32_t count, void* buffer);
    unsigned long WriteSectors(uint64_t firstSector, uint32_t count, const void* data);

    bool IsOpen() const { return contextOpen_.load(); }
    bool HasStore() const { return store_ != nullptr; }
    DWORD DirectReadMs() const { return directReadMs_; }
    DWORD SnapshotReadMs() const { return snapshotReadMs_; }
    uint32_t CacheBytes() const { return ringBytes_; }
    // Whether the urgent-block store holds any of the run (for tests).
    bool StoreContains(uint64_t firstSector, uint32_t count) const
    {
        return store_ != nullptr && store_->Contains(firstSector, count);
    }

    // Every client sector is 512 bytes; the driver must agree.
    static constexpr uint32_t kSector = 512;
    static constexpr uint32_t kChunkSectors = 128;

private:
    // One in/out control request of buffer's size under the context's critical section.
    unsigned long Control(DWORD code, void* buffer, DWORD size);
    // A request whose whole record is the output buffer.
    unsigned long ControlOut(DWORD code, void* buffer, DWORD size);
    bool SectorRecord(uint64_t firstSector, uint32_t chunk, std::vector<unsigned char>& record) const;
    unsigned long CreateAttempt(uint32_t cacheBytes, uint64_t firstSector, uint64_t sectorCount,
                                uint32_t sectorsPerBit);
    void DeleteInDriver();
    void StopDrainThread();
    void FreeSnapshot();

    static DWORD WINAPI DrainMain(LPVOID context);
    DWORD Drain();
    // Hands one preserved block to the callback, or to the store when the callback
    // refuses it or there is none; then unlinks it from the ring.
    void Offer(uint32_t offset, const SnapRingEntry& entry);
    void KeepFailure(unsigned long code);

    unsigned long ReadSnapshotRange(uint64_t firstSector, uint32_t count, unsigned char* buffer, uint8_t flag);
    unsigned long ReadFromDriver(uint64_t firstSector, uint32_t count, unsigned char* buffer, uint8_t flag);

    std::wstring volumeName_;
    std::wstring tempFolder_;
    uint32_t volumeId_ = 0;
    DWORD sectorsPerCluster_ = 0;
    DWORD bytesPerSector_ = 0;

    bool snapshotCreated_ = false;
    uint64_t snapshotId_ = 0;
    uint32_t driverSectorSize_ = 0;
    uint64_t echoedFirstSector_ = 0;
    uint64_t echoedSectorCount_ = 0;
    uint32_t echoedSectorsPerBit_ = 0;

    std::unique_ptr<unsigned char[]> ring_;
    uint32_t ringBytes_ = 0;
    std::unique_ptr<unsigned char[]> exchange_;
    uint32_t exchangeBytes_ = 0;
    uint32_t exchangeSectors_ = 0;

    HANDLE ringMutex_ = nullptr;
    HANDLE semaphore_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    HANDLE drainThread_ = nullptr;

    // The callback and its value are set and read as one; the drain thread holds the
    // lock while the callback runs, so clearing it waits for a running call to end.
    std::mutex callbackLock_;
    KS_QUELM_BLOCK_CALLBACK callback_ = nullptr;
    void* callbackUser_ = nullptr;

    uint32_t lastReadOutValue_ = 0;
    UrgPipe* store_ = nullptr;
    // Saving a block and unlinking it from the ring happen together for snapshot
    // reads: a read never finds a block neither in the store nor in the driver.
    std::mutex storeReadLock_;
    std::atomic<unsigned long> drainFailure_{0};
    DWORD directReadMs_ = 0;
    DWORD snapshotReadMs_ = 0;
    CRITICAL_SECTION controlLock_;
    std::atomic<bool> contextOpen_{false};
};
