#include "CheckBlockWorkers.h"

#include <cstdlib>
#include <new>
#include <system_error>

#include "CheckResult.h"
#include "KSWorkerCount.h"
#include "crc64.h"

namespace {

// Blocks queued per worker: enough that none waits while the walk reads the next
// index chunk, few enough that a cancel or a damaged block stops the run soon.
constexpr size_t kBlocksQueuedPerWorker = 2;
// The largest block the container stores; a record that claims more is refused by
// the read itself, which never writes past the bytes it was asked for.
constexpr uint64_t kLargestBlockBytes = 0x200000;

} // namespace

unsigned CheckBlockWorkers::CountFromEnvironment()
{
    return worker_count::Resolve(worker_count::FromText(std::getenv(kVariable)));
}

unsigned long CheckBlockWorkers::CheckOne(IKSCofran* image, const _KS_BLOCK& block, const _KS_VOLUME& volume,
                                          std::vector<unsigned char>& buffer)
{
    const uint64_t raw = uint64_t(KSBlockClusters(block)) * volume.SectorsPerCluster * volume.BytesPerSector;
    const size_t room = static_cast<size_t>(raw < kLargestBlockBytes ? raw : kLargestBlockBytes);
    try {
        if (buffer.size() < room || buffer.empty())
            buffer.resize(room == 0 ? 1 : room);
    } catch (const std::bad_alloc&) {
        return KS_RESULT(KS_MODULE_CHECKER, CheckResult::KIND_NO_MEMORY);
    }
    const unsigned long rc = image->ReadBlock(&block, buffer.data());
    if (rc != 0)
        return rc;
    uint64_t crc = 0;
    crc64(buffer.data(), static_cast<unsigned long>(raw), &crc);
    return crc == block.Crc ? 0 : CheckResult::BlockCrcMismatch;
}

unsigned long CheckBlockWorkers::Start(const Opening& opening, unsigned count, IKSCofran* image)
{
    Stop();
    stopping_ = false;
    started_ = 0;
    setupResult_ = 0;
    volume_ = opening.volume;
    inlineImage_ = image;
    count_ = count;
    for (unsigned i = 0; i < count; ++i) {
        try {
            threads_.emplace_back([this, opening] { Run(opening); });
        } catch (const std::system_error&) {
            break; // check with the workers there are
        }
    }
    if (count != 0 && threads_.empty())
        return KS_RESULT(KS_MODULE_CHECKER, CheckResult::KIND_NO_MEMORY);
    count_ = static_cast<unsigned>(threads_.size());
    unsigned long rc = 0;
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return started_ == threads_.size(); });
        rc = setupResult_;
    }
    if (rc != 0)
        Stop();
    return rc;
}

bool CheckBlockWorkers::HasRoom() const
{
    return pending_.size() < (count_ == 0 ? 1 : count_ * kBlocksQueuedPerWorker);
}

unsigned long CheckBlockWorkers::Queue(const _KS_BLOCK& block)
{
    Slot slot;
    slot.block = block;
    if (count_ == 0) {
        slot.result = CheckOne(inlineImage_, block, volume_, inlineBuffer_);
        slot.taken = slot.done = true;
    }
    std::lock_guard<std::mutex> hold(lock_);
    try {
        pending_.push_back(slot);
    } catch (const std::bad_alloc&) {
        return KS_RESULT(KS_MODULE_CHECKER, CheckResult::KIND_NO_MEMORY);
    }
    changed_.notify_all();
    return 0;
}

unsigned long CheckBlockWorkers::TakeOldest(_KS_BLOCK* block)
{
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return pending_.front().done; });
    *block = pending_.front().block;
    const unsigned long rc = pending_.front().result;
    pending_.pop_front();
    return rc;
}

void CheckBlockWorkers::Stop()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
        changed_.notify_all();
    }
    for (std::thread& t : threads_)
        t.join();
    threads_.clear();
    pending_.clear();
    count_ = 0;
}

void CheckBlockWorkers::Run(const Opening& opening)
{
    IKSCofran* image = opening.make != nullptr ? opening.make() : nullptr;
    unsigned long rc = image == nullptr ? KS_RESULT(KS_MODULE_CHECKER, CheckResult::KIND_NO_MEMORY) : 0;
    bool opened = false;
    if (rc == 0) {
        rc = image->OpenCofran(opening.path, opening.mode, opening.password, opening.passwordBytes);
        opened = rc == 0;
    }
    _KS_VOLUME volume = opening.volume;
    if (rc == 0)
        rc = image->OpenVolume(&volume);
    std::vector<unsigned char> buffer;
    std::unique_lock<std::mutex> hold(lock_);
    ++started_;
    if (rc != 0 && setupResult_ == 0)
        setupResult_ = rc;
    changed_.notify_all();
    while (rc == 0) {
        Slot* slot = nullptr;
        changed_.wait(hold, [&] {
            if (stopping_)
                return true;
            for (Slot& s : pending_)
                if (!s.taken) {
                    slot = &s;
                    return true;
                }
            return false;
        });
        if (stopping_)
            break;
        slot->taken = true;
        const _KS_BLOCK block = slot->block;
        hold.unlock();
        const unsigned long result = CheckOne(image, block, opening.volume, buffer);
        hold.lock();
        // A deque keeps its elements where they are while only its ends change,
        // and the checker takes a slot off only once it is done.
        slot->result = result;
        slot->done = true;
        changed_.notify_all();
    }
    hold.unlock();
    if (image != nullptr) {
        if (opened) {
            image->CloseVolume();
            image->CloseCofran();
        }
        image->Release();
    }
}
