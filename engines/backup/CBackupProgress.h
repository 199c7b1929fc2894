// The engine's progress record and the arithmetic of its percentages. The worker
// writes it and the caller copies it, so every access holds the keeper's lock, and
// the end of a run sets result and state in one step.
#pragma once

#include <cstdint>
#include <mutex>

#include "KSProgressInfo.h"

class CBackupProgress {
public:
    // Zeroes the record, tags it and starts the clock: state 2, item 1.
    void Reset(uint16_t itemCount, int64_t startSeconds);
    void SetFactor(double factor);
    void SetState(uint32_t state);
    uint32_t State();
    void SetItem(uint16_t item);
    void SetItemPercent(uint32_t percent);
    void SetTotalBytes(uint64_t bytes);
    uint64_t TotalBytes();
    // Adds copied bytes and recomputes the overall percent.
    void AddDoneBytes(uint64_t bytes, int64_t nowSeconds);
    // Moves the overall percent on by the burned share (value of total) of the part
    // between the copy's overall percent and its raw percent; never back.
    void AddBurnShare(uint32_t value, uint32_t total);
    // The run's end: both percents 100, then result and state together.
    void Finish(uint32_t result);
    void CopyTo(_KS_PROGRESS_INFO& out);

    // Overall percent from the raw percent: truncated by the factor, never falling
    // (except to 0), at most 100; 100 when nothing is to be copied.
    static uint32_t NextPercent(uint32_t old, uint64_t done, uint64_t total, double factor);

private:
    std::mutex lock_;
    _KS_PROGRESS_INFO record_{};
    double factor_ = 1.0;
    int64_t start_ = 0;
    uint32_t burnStart_ = 0;
    uint32_t burnEnd_ = 0;
};
