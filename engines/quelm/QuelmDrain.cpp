// The drain thread: takes the preserved blocks out of the change ring, oldest first,
// and hands each to the caller's callback or keeps it in the urgent-block store.
#include "QuelmContext.h"
#include "QuelmKinds.h"
#include "QuelmTrace.h"

using namespace quelm_kinds;

DWORD WINAPI QuelmContext::DrainMain(LPVOID context) { return static_cast<QuelmContext*>(context)->Drain(); }

DWORD QuelmContext::Drain()
{
    const HANDLE waits[2] = {stopEvent_, semaphore_};
    for (;;) {
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0)
            return 0;
        if (woke != WAIT_OBJECT_0 + 1)
            return GetLastError();
        if (WaitForSingleObject(ringMutex_, INFINITE) == WAIT_FAILED)
            return GetLastError();
        SnapRingHead head{};
        SnapRingEntry entry{};
        bool taken = false;
        if (ring_ && ringBytes_ >= SNAP_RING_HEAD_BYTES) {
            head = LoadSnapRingHead(ring_.get());
            if (head.Count != 0 && uint64_t{head.Head} + SNAP_ENTRY_HEAD_BYTES <= ringBytes_) {
                entry = LoadSnapRingEntry(ring_.get() + head.Head);
                taken = true;
            }
        }
        ReleaseMutex(ringMutex_);
        if (taken)
            Offer(head.Head, entry);
    }
}

void QuelmContext::KeepFailure(unsigned long code)
{
    unsigned long none = 0;
    drainFailure_.compare_exchange_strong(none, code);
}

void QuelmContext::Offer(uint32_t offset, const SnapRingEntry& entry)
{
    unsigned char* data = ring_.get() + offset + entry.DataOffset;
    const bool inside = uint64_t{offset} + entry.Size <= ringBytes_ &&
                        uint64_t{entry.DataOffset} + uint64_t{entry.SectorCount} * kSector <= entry.Size;
    if (!inside)
        KeepFailure(KS_RESULT(KS_MODULE_BACKUP, kDriverControl));
    // After a failure the snapshot no longer holds: blocks are only taken out of the
    // ring so that the volume's writers are not held up.
    bool keep = inside && drainFailure_.load() == 0;
    if (keep) {
        std::lock_guard<std::mutex> guard(callbackLock_);
        if (callback_ != nullptr)
            keep = KSFailed(callback_(callbackUser_, entry.FirstSector, entry.SectorCount, data));
    }
    std::lock_guard<std::mutex> reads(storeReadLock_);
    if (keep) {
        const unsigned long rc = store_ != nullptr ? store_->Save(entry.FirstSector, entry.SectorCount, data)
                                                   : KS_RESULT(KS_MODULE_BACKUP, kNotReady);
        if (KSFailed(rc)) {
            QuelmDebugLine("Saving urgent block failed: 0x%08lX.\n", rc);
            KeepFailure(rc);
        }
    }
    WaitForSingleObject(ringMutex_, INFINITE);
    UnlinkSnapRingEntry(ring_.get(), offset);
    ReleaseMutex(ringMutex_);
}

void QuelmContext::StopDrainThread()
{
    if (drainThread_ == nullptr)
        return;
    SetEvent(stopEvent_);
    WaitForSingleObject(drainThread_, INFINITE);
    CloseHandle(drainThread_);
    drainThread_ = nullptr;
}
