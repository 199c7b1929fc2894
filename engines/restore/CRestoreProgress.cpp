#include "CRestoreProgress.h"

#include <algorithm>
#include <cstring>

#include "RestoreProgressMath.h"

CRestoreProgress::CRestoreProgress() { std::memset(&record_, 0, sizeof record_); }

void CRestoreProgress::Begin(uint32_t count, DWORD startTick, bool clone, bool discVersion)
{
    std::lock_guard<std::mutex> hold(lock_);
    std::memset(&record_, 0, sizeof record_);
    record_.ItemCount = static_cast<uint16_t>(count);
    record_.State = RESTORE_STATE_INITIALIZE;
    startTick_ = startTick;
    clone_ = clone;
    discVersion_ = discVersion;
    sectorsDone_ = 0;
    liveRefresh = 0;
    readMs = writeMs = bytesRead = bytesWritten = 0;
}

void CRestoreProgress::BeginOperation(uint32_t index)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.CurrentItem = static_cast<uint16_t>(index);
    record_.ItemPercent = 0;
    record_.Stage = KS_STAGE_RESTORING;
}

void CRestoreProgress::SetState(uint32_t state)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.State = state;
}

void CRestoreProgress::SetResult(uint32_t result)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.Result = result;
}

uint32_t CRestoreProgress::Result() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return record_.Result;
}

void CRestoreProgress::AddCurrentPercent(uint32_t add)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.ItemPercent = std::min<uint32_t>(record_.ItemPercent + add, 100);
}

void CRestoreProgress::SetCurrentPercent(uint32_t percent)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.ItemPercent = std::min<uint32_t>(percent, 100);
}

void CRestoreProgress::SetOverallPercent(uint32_t percent)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.OverallPercent = percent;
}

void CRestoreProgress::SetText(const std::wstring& text)
{
    std::lock_guard<std::mutex> hold(lock_);
    std::memset(record_.Text, 0, sizeof record_.Text);
    const size_t n = std::min<size_t>(text.size(), KS_PROGRESS_TEXT_CHARS - 1);
    std::wmemcpy(record_.Text, text.data(), n);
}

void CRestoreProgress::RefreshSectorLevel()
{
    SetText(L"Restoring data");
    std::lock_guard<std::mutex> hold(lock_);
    RewriteLocked();
    record_.ElapsedMs = GetTickCount() - startTick_;
    if (readMs == 0)
        readMs = 1;
    const SectorLevelPercents p =
        RestoreSectorLevelPercents(record_.CurrentItem, record_.ItemCount, record_.ItemPercent);
    record_.ItemPercent = p.current;
    record_.OverallPercent = p.overall;
}

void CRestoreProgress::AddSectorsWritten(uint64_t sectors, uint64_t sectorsTotal)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        sectorsDone_ += sectors;
        record_.DoneBytes = sectorsDone_ * 512u;
        record_.ItemPercent = RestoreSectorPercent(sectorsDone_, sectorsTotal);
    }
    RefreshSectorLevel();
}

void CRestoreProgress::ResetSectorCounter()
{
    std::lock_guard<std::mutex> hold(lock_);
    sectorsDone_ = 0;
    record_.DoneBytes = 0;
}

void CRestoreProgress::RefreshFromCopier(uint32_t grow, const std::wstring* text)
{
    if (text != nullptr)
        SetText(*text);
    std::lock_guard<std::mutex> hold(lock_);
    RewriteLocked();
    record_.ElapsedMs = GetTickCount() - startTick_;
    record_.ItemPercent = std::min<uint32_t>(record_.ItemPercent + grow, 100);
    record_.OverallPercent = RestoreOverallPercent(record_.CurrentItem, record_.ItemCount, record_.ItemPercent);
}

void CRestoreProgress::RewriteLocked()
{
    record_.Result = RewriteRestoreResult(record_.Result, clone_, discVersion_);
}

void CRestoreProgress::CopyOut(_KS_PROGRESS_INFO* out)
{
    std::lock_guard<std::mutex> hold(lock_);
    RewriteLocked();
    std::memcpy(out, &record_, sizeof record_);
}

_KS_PROGRESS_INFO CRestoreProgress::Peek() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return record_;
}
