#include "CloneProgressPoll.h"

#include "CloneProgressTexts.h"

ClonePollStep CloneProgressPoll::Step(const _KS_PROGRESS_INFO& progress, const std::vector<_RESTORE_INFO>& sourceItems)
{
    ClonePollStep step;
    // Once, before the first item: a poll with no item shown yet would repeat it.
    if (lastShown_ == -1 && !startShown_) {
        startShown_ = true;
        step.lines.push_back({kCloneStartText, true});
    }
    const int current = progress.CurrentItem;
    // The last queued item is the boot track: it is never announced.
    if (current != lastShown_ && current + 1 < progress.ItemCount) {
        lastShown_ = current;
        const uint16_t type = current < static_cast<int>(sourceItems.size()) ? sourceItems[current].VolumeType : 0;
        const uint64_t sectors = current < static_cast<int>(sourceItems.size()) ? sourceItems[current].SectorCount : 0;
        step.lines.push_back({ClonePartitionLogText(current, type, sectors), false});
    }
    switch (progress.State) {
    case RESTORE_STATE_INITIALIZE:
        step.setProgress = true;
        step.totalLabel = kCloneInitializeText;
        break;
    case RESTORE_STATE_RUNNING:
    case RESTORE_STATE_FINISH:
    case RESTORE_STATE_USER_CANCEL:
        step.setProgress = true;
        step.totalLabel = CloneTotalLabel(progress.OverallPercent);
        step.currentLabel = CloneCurrentLabel(progress.ItemPercent);
        step.total = progress.OverallPercent / 100.0;
        step.current = progress.ItemPercent / 100.0;
        if (progress.State == RESTORE_STATE_FINISH) {
            step.end = ClonePollEnd::Finished;
            step.result = progress.Result;
        } else if (progress.State == RESTORE_STATE_USER_CANCEL) {
            step.end = ClonePollEnd::Cancelled;
            step.result = progress.Result;
        }
        break;
    default:
        break;
    }
    return step;
}

unsigned long CloneBackCall(void*, unsigned long message, void*)
{
    return message == 1 ? 0 : kCloneRefusal;
}
