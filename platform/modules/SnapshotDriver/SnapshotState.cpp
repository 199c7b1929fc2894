#include "SnapshotState.h"

#include <algorithm>
#include <cstring>

#include "SnapshotRingWriter.h"

namespace {
constexpr DWORD kRingMutexWait = 5000;
constexpr uint32_t kDefaultBlockSectors = 8;
} // namespace

SnapshotState::SnapshotState(uint64_t id, std::shared_ptr<SnapshotVolume> volume, const SNAP_CREATE_RECORD& record)
    : id_(id), volume_(std::move(volume)), areaFirst_(std::min(record.FirstSector, volume_->Sectors())),
      areaEnd_(std::min(volume_->Sectors(), record.FirstSector + record.SectorCount)),
      blockSectors_(record.SectorsPerBit != 0 ? record.SectorsPerBit : kDefaultBlockSectors),
      semaphore_(reinterpret_cast<HANDLE>(SnapAddressPointer(record.Semaphore))),
      mutex_(reinterpret_cast<HANDLE>(SnapAddressPointer(record.Mutex))),
      ring_(static_cast<unsigned char*>(SnapAddressPointer(record.RingAddress))), ringBytes_(record.RingSize),
      preserved_(static_cast<size_t>(areaEnd_ > areaFirst_ ? areaEnd_ - areaFirst_ : 0), false)
{
    alignBase = static_cast<uint32_t>(areaFirst_);
    SnapshotRingWriter(ring_, ringBytes_).Reset();
}

void SnapshotState::ForgetUnlinked(uint32_t linked)
{
    while (issued_.size() > linked) {
        auto run = kept_.find(issued_.front());
        if (run != kept_.end())
            kept_.erase(run);
        issued_.pop_front();
    }
}

SnapshotState::Preserve SnapshotState::PreserveBefore(uint64_t first, uint32_t count, bool forget, DWORD& error)
{
    const uint64_t start = std::max(first, areaFirst_);
    const uint64_t end = std::min(first + count, areaEnd_);
    if (start >= end)
        return Preserve::Done;
    const uint64_t offset = alignBase % blockSectors_;
    // The stretches of unpreserved sectors, cut at block boundaries.
    std::vector<std::pair<uint64_t, uint32_t>> runs;
    for (uint64_t s = start; s < end;) {
        const uint64_t blockStart = s < offset ? 0 : offset + (s - offset) / blockSectors_ * blockSectors_;
        const uint64_t blockEnd = std::min(s < offset ? offset : blockStart + blockSectors_, areaEnd_);
        for (uint64_t t = std::max(blockStart, areaFirst_); t < blockEnd;) {
            if (preserved_[t - areaFirst_]) {
                ++t;
                continue;
            }
            uint64_t u = t;
            while (u < blockEnd && !preserved_[u - areaFirst_])
                ++u;
            runs.emplace_back(t, static_cast<uint32_t>(u - t));
            t = u;
        }
        s = blockEnd;
    }
    if (runs.empty())
        return Preserve::Done;

    if (WaitForSingleObject(mutex_, kRingMutexWait) != WAIT_OBJECT_0) {
        error = ERROR_BUSY;
        return Preserve::Failed;
    }
    SnapshotRingWriter ring(ring_, ringBytes_);
    if (forget)
        ForgetUnlinked(ring.Count());
    LONG added = 0;
    Preserve result = Preserve::Done;
    for (const auto& run : runs) {
        std::vector<unsigned char> old(static_cast<size_t>(run.second) * SnapshotVolume::kSector);
        if ((error = volume_->Read(run.first, run.second, old.data())) != ERROR_SUCCESS) {
            result = Preserve::Failed;
            break;
        }
        if (!ring.Append(run.first, run.second, old.data())) {
            result = Preserve::RingFull;
            break;
        }
        std::fill(preserved_.begin() + static_cast<long>(run.first - areaFirst_),
                  preserved_.begin() + static_cast<long>(run.first - areaFirst_ + run.second), true);
        kept_[run.first] = std::move(old);
        issued_.push_back(run.first);
        ++added;
    }
    ReleaseMutex(mutex_);
    preservedBlocks += static_cast<uint64_t>(added);
    if (added != 0)
        ReleaseSemaphore(semaphore_, added, nullptr);
    return result;
}

const std::vector<unsigned char>* SnapshotState::KeptRunOf(uint64_t sector, uint64_t& runFirst) const
{
    auto after = kept_.upper_bound(sector);
    if (after == kept_.begin())
        return nullptr;
    --after;
    if (sector >= after->first + after->second.size() / SnapshotVolume::kSector)
        return nullptr;
    runFirst = after->first;
    return &after->second;
}

DWORD SnapshotState::ReadSnapshot(uint64_t first, uint32_t count, bool forget, unsigned char* out)
{
    if (forget) {
        if (WaitForSingleObject(mutex_, kRingMutexWait) != WAIT_OBJECT_0)
            return ERROR_BUSY;
        ForgetUnlinked(SnapshotRingWriter(ring_, ringBytes_).Count());
        ReleaseMutex(mutex_);
    }
    DWORD error = volume_->Read(first, count, out);
    if (error != ERROR_SUCCESS)
        return error;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t runFirst = 0;
        const std::vector<unsigned char>* run = KeptRunOf(first + i, runFirst);
        if (run != nullptr)
            std::memcpy(out + static_cast<size_t>(i) * SnapshotVolume::kSector,
                        run->data() + (first + i - runFirst) * SnapshotVolume::kSector, SnapshotVolume::kSector);
    }
    return ERROR_SUCCESS;
}

uint32_t SnapshotState::QueuedEntries() const
{
    if (WaitForSingleObject(mutex_, kRingMutexWait) != WAIT_OBJECT_0)
        return 0;
    const uint32_t count = SnapshotRingWriter(ring_, ringBytes_).Count();
    ReleaseMutex(mutex_);
    return count;
}
