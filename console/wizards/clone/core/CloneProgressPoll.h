// What one 200 ms poll of the clone's progress record means for the page: log lines to
// append, the two labels and bars, and whether the run has ended (finished with a
// result, or cancelled by the user).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KSProgressInfo.h"
#include "RestoreInfo.h"

struct CloneLogLine {
    std::string text;
    bool bold = false;
};

enum class ClonePollEnd { Running, Finished, Cancelled };

struct ClonePollStep {
    std::vector<CloneLogLine> lines;
    bool setProgress = false; // labels and bars change on this poll
    std::string totalLabel, currentLabel;
    double total = 0, current = 0;
    ClonePollEnd end = ClonePollEnd::Running;
    uint32_t result = 0;
};

class CloneProgressPoll {
public:
    ClonePollStep Step(const _KS_PROGRESS_INFO& progress, const std::vector<_RESTORE_INFO>& sourceItems);
    int LastShown() const { return lastShown_; }

private:
    int lastShown_ = -1;
    bool startShown_ = false;
};

// The engine's callback: a request naming a path (message 1) is answered "go on";
// every other request is refused with 0x00941607.
unsigned long CloneBackCall(void* context, unsigned long message, void* data);
constexpr unsigned long kCloneRefusal = 0x00941607;
