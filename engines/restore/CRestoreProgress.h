// The restore engine's progress keeper: the record the caller polls, the cancel flag
// and the counters of the block walk. The worker writes and the caller's thread reads,
// so the record sits behind a mutex and the flags are atomic.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "KSProgressInfo.h"

class CRestoreProgress {
public:
    CRestoreProgress();

    // A new run of count operations, started at tick: state 1, everything else 0.
    void Begin(uint32_t count, DWORD startTick, bool clone, bool discVersion);
    // The operation with this index starts: current percent 0, stage "restoring".
    void BeginOperation(uint32_t index);
    void SetState(uint32_t state);
    void SetResult(uint32_t result);
    uint32_t Result() const;
    // Adds to the current percent, at most 100.
    void AddCurrentPercent(uint32_t add);
    void SetCurrentPercent(uint32_t percent);
    void SetOverallPercent(uint32_t percent);
    void SetText(const std::wstring& text);
    // The sector-level refresh: elapsed time, "Restoring data", capped percents.
    void RefreshSectorLevel();
    // A sector-level restore wrote sectors: bytes done and the current percent follow.
    void AddSectorsWritten(uint64_t sectors, uint64_t sectorsTotal);
    void ResetSectorCounter();
    // An outside copier's refresh: elapsed time, the current percent grown by grow
    // (at most 100), the step text when given, and the overall percent without caps.
    void RefreshFromCopier(uint32_t grow, const std::wstring* text);

    // The record with the result rewrite applied (also to the kept record).
    void CopyOut(_KS_PROGRESS_INFO* out);
    _KS_PROGRESS_INFO Peek() const;

    std::atomic<uint32_t> cancel{0};
    std::atomic<uint32_t> liveRefresh{0};
    // Counted by the block walk, read by nothing else.
    std::atomic<uint64_t> readMs{0}, writeMs{0}, bytesRead{0}, bytesWritten{0};

private:
    void RewriteLocked();

    mutable std::mutex lock_;
    DWORD startTick_ = 0;
    bool clone_ = false;
    bool discVersion_ = false;
    uint64_t sectorsDone_ = 0;
    _KS_PROGRESS_INFO record_;
};
