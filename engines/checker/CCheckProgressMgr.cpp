#include "CCheckProgressMgr.h"

#include <cstring>

CCheckProgressMgr::CCheckProgressMgr() : cancel_(false), tick_(0)
{
    std::memset(&record_, 0, sizeof record_);
}

void CCheckProgressMgr::Reset(uint16_t itemCount)
{
    std::lock_guard<std::mutex> hold(lock_);
    std::memset(&record_, 0, sizeof record_);
    cancel_.store(false);
    tick_ = 0;
    record_.ItemCount = itemCount;
    record_.Stage = KS_STAGE_CHECK_STARTED;
    record_.State = KS_CHECK_STATE_RUNNING;
}

void CCheckProgressMgr::SetStage(uint32_t stage, uint32_t state)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.Stage = stage;
    record_.State = state;
}

void CCheckProgressMgr::SetCurrentItem(uint16_t item)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.CurrentItem = item;
}

void CCheckProgressMgr::SetPercents(uint32_t itemPercent, uint32_t overallPercent)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.ItemPercent = itemPercent;
    record_.OverallPercent = overallPercent;
}

void CCheckProgressMgr::SetItemPercent(uint32_t itemPercent)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.ItemPercent = itemPercent;
}

void CCheckProgressMgr::Finish(unsigned long result, std::atomic<bool>* busy)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (busy != nullptr)
        busy->store(false);
    record_.Result = static_cast<uint32_t>(result);
    record_.State = cancel_.load() ? KS_CHECK_STATE_USER_CANCEL : KS_CHECK_STATE_FINISH;
}

void CCheckProgressMgr::Copy(_KS_PROGRESS_INFO* out) const
{
    std::lock_guard<std::mutex> hold(lock_);
    std::memcpy(out, &record_, sizeof record_);
}
