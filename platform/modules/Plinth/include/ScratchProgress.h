// How the resizers report their copy onto a scratch volume: the copy is the first
// share (in percent) of the operation, and its outcome becomes the resizer's result
// (the resizers share the codes 2 read failed, 3 write failed and the cancel answer).
#pragma once

#include <cstdint>

#include "CCallBackOperate.h"
#include "CScratchVolume.h"

class CScratchShareWatch : public IScratchWatch {
public:
    CScratchShareWatch(CCallBackOperate& progress, unsigned share) : progress_(progress), share_(share) {}
    bool Tick(uint64_t done, uint64_t total) override
    {
        if (total != 0)
            progress_.SetPercent(static_cast<unsigned long>(done * share_ / total));
        return !progress_.Cancelled();
    }

private:
    CCallBackOperate& progress_;
    unsigned share_;
};

inline unsigned long ScratchOutcomeResult(CScratchVolume::Outcome outcome)
{
    switch (outcome) {
    case CScratchVolume::kDone:
        return 0;
    case CScratchVolume::kReadFailed:
        return 2;
    case CScratchVolume::kCancelled:
        return KS_OPERATE_CANCELLED;
    default:
        return 3;
    }
}
