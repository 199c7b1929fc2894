// The checker's progress record and cancel flag, shared between the worker thread
// that writes them and the caller's thread that polls and cancels.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "KSProgressInfo.h"

class CCheckProgressMgr {
public:
    CCheckProgressMgr();

    // Zeroes the record and the tick count and clears the cancel flag, then marks
    // the run started (stage 0x1001, state 1) with its number of volumes.
    void Reset(uint16_t itemCount);
    void SetStage(uint32_t stage, uint32_t state);
    void SetCurrentItem(uint16_t item);
    void SetPercents(uint32_t itemPercent, uint32_t overallPercent);
    void SetItemPercent(uint32_t itemPercent);
    // Ends the run: clears busy, then writes the result and after it the state that
    // tells the caller to look at it, all in one step, so that no copy shows the end
    // state without its result and a caller who sees the end may start the next run.
    void Finish(unsigned long result, std::atomic<bool>* busy);

    void Copy(_KS_PROGRESS_INFO* out) const;

    void Cancel() { cancel_.store(true); }
    bool Cancelled() const { return cancel_.load(); }

private:
    mutable std::mutex lock_;
    _KS_PROGRESS_INFO record_;
    std::atomic<bool> cancel_;
    unsigned long tick_;
};
