#include "CBackupProgress.h"

#include <algorithm>

void CBackupProgress::Reset(uint16_t itemCount, int64_t startSeconds)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_ = _KS_PROGRESS_INFO{};
    record_.Tag = KS_PROGRESS_TAG_BACKUP;
    record_.CurrentItem = 1;
    record_.ItemCount = itemCount;
    record_.State = 2;
    start_ = startSeconds;
    burnStart_ = burnEnd_ = 0;
}

void CBackupProgress::SetFactor(double factor)
{
    std::lock_guard<std::mutex> hold(lock_);
    factor_ = factor;
}

void CBackupProgress::SetState(uint32_t state)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.State = state;
}

uint32_t CBackupProgress::State()
{
    std::lock_guard<std::mutex> hold(lock_);
    return record_.State;
}

void CBackupProgress::SetItem(uint16_t item)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.CurrentItem = item;
    record_.ItemPercent = 0;
}

void CBackupProgress::SetItemPercent(uint32_t percent)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.ItemPercent = std::min<uint32_t>(percent, 100);
}

void CBackupProgress::SetTotalBytes(uint64_t bytes)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.TotalBytes = bytes;
}

uint64_t CBackupProgress::TotalBytes()
{
    std::lock_guard<std::mutex> hold(lock_);
    return record_.TotalBytes;
}

uint32_t CBackupProgress::NextPercent(uint32_t old, uint64_t done, uint64_t total, double factor)
{
    if (total == 0)
        return 100;
    const uint64_t raw = std::min<uint64_t>(done, UINT64_MAX / 100) * 100 / total;
    const uint32_t next = static_cast<uint32_t>(std::min<double>(static_cast<double>(raw) * factor, 100.0));
    return next == 0 ? 0 : std::min<uint32_t>(std::max(old, next), 100);
}

void CBackupProgress::AddDoneBytes(uint64_t bytes, int64_t nowSeconds)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.DoneBytes += bytes;
    record_.OverallPercent = NextPercent(record_.OverallPercent, record_.DoneBytes, record_.TotalBytes, factor_);
    burnStart_ = record_.OverallPercent;
    burnEnd_ = record_.TotalBytes == 0 ? 100 : static_cast<uint32_t>(std::min<uint64_t>(
                                                   100, record_.DoneBytes * 100 / record_.TotalBytes));
    if (record_.State == 6 && nowSeconds >= start_)
        record_.ElapsedMs = static_cast<uint32_t>((nowSeconds - start_) * 1000);
}

void CBackupProgress::AddBurnShare(uint32_t value, uint32_t total)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (total == 0 || value > total || burnEnd_ < burnStart_)
        return;
    const uint32_t next = burnStart_ + value * 100 / total * (burnEnd_ - burnStart_) / 100;
    record_.OverallPercent = std::min<uint32_t>(100, std::max(record_.OverallPercent, next));
}

void CBackupProgress::Finish(uint32_t result)
{
    std::lock_guard<std::mutex> hold(lock_);
    record_.ItemPercent = 100;
    record_.OverallPercent = 100;
    record_.Result = result;
    record_.State = 12;
}

void CBackupProgress::CopyTo(_KS_PROGRESS_INFO& out)
{
    std::lock_guard<std::mutex> hold(lock_);
    out = record_;
}
