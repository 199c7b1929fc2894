// The blocks of one image file onto the target: this thread walks the file's block
// list, and a few workers, each reading the file through an image object of its own,
// inflate the blocks side by side. Inflating is most of a restore's time; the writes
// and the pending bitmap stay behind one lock, so each cluster is still written once
// and the raw device is never written from two threads at a time.
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "CVolumeRestorer.h"
#include "KSResult.h"
#include "RestoreKinds.h"

using namespace restore_kinds;

namespace {
constexpr unsigned kBlockWorkers = 3;
constexpr size_t kBlocksQueuedPerWorker = 2;

struct BlockQueue {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<_KS_BLOCK> blocks;
    bool listed = false;       // no more blocks will come
    unsigned long result = 0;  // the first failure
    std::mutex writeLock;

    void Fail(unsigned long code)
    {
        std::lock_guard<std::mutex> hold(lock);
        if (result == 0)
            result = code;
        changed.notify_all();
    }
};

uint64_t BlockElapsedMs(DWORD start) { return static_cast<DWORD>(GetTickCount() - start); }
}

unsigned long CVolumeRestorer::CopyBlocks(const std::wstring& path, const _KS_VOLUME& source, CTargetWriter& writer)
{
    CRestoreProgress& progress = engine_.Progress();
    BlockQueue queue;
    auto work = [&]() {
        void* object = nullptr;
        if (engine_.Services().createImage(0x10000, 1, &object) != 0 || object == nullptr) {
            queue.Fail(KS_RESULT(KS_MODULE_RESTORE, KS_KIND_NO_MEMORY));
            return;
        }
        IKSCofran* image = static_cast<IKSCofran*>(object);
        _KS_VOLUME volume = source;
        unsigned long result =
            image->OpenCofran(path.c_str(), KS_OPEN_INDEX_ANY_FILE, engine_.Password(), engine_.PasswordBytes());
        const bool opened = result == 0;
        if (result == 0)
            result = image->OpenVolume(&volume);
        std::vector<unsigned char> buffer;
        if (result == 0) {
            try {
                buffer.resize(kTransferBytes);
            } catch (const std::bad_alloc&) {
                result = KS_RESULT(KS_MODULE_RESTORE, KS_KIND_NO_MEMORY);
            }
        }
        while (result == 0) {
            _KS_BLOCK block{};
            {
                std::unique_lock<std::mutex> hold(queue.lock);
                queue.changed.wait(hold, [&] { return !queue.blocks.empty() || queue.listed || queue.result != 0; });
                if (queue.result != 0 || queue.blocks.empty())
                    break;
                block = queue.blocks.front();
                queue.blocks.pop_front();
                queue.changed.notify_all();
            }
            const DWORD started = GetTickCount();
            if ((result = image->ReadBlock(&block, buffer.data())) != 0)
                break;
            progress.readMs += BlockElapsedMs(started);
            progress.bytesRead += uint64_t(KSBlockClusters(block)) * source.SectorsPerCluster * 512;
            std::lock_guard<std::mutex> hold(queue.writeLock);
            result = WriteRuns(block, buffer.data(), source, writer);
        }
        if (result != 0)
            queue.Fail(result);
        if (opened) {
            image->CloseVolume();
            image->CloseCofran();
        }
        image->Release();
    };
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < kBlockWorkers; ++i)
        workers.emplace_back(work);

    for (;;) {
        unsigned long result = 0;
        _KS_BLOCK block{};
        if (progress.cancel.load() != 0)
            result = KS_RESULT(KS_MODULE_RESTORE, KS_KIND_CANCELLED);
        else
            result = image_->GetNextBlockInfo(&block, 0);
        if (KSResultKind(result) == kOutsideFile)
            break;
        if (result == 0 && uint64_t(KSBlockClusters(block)) * source.SectorsPerCluster * 512 > kTransferBytes)
            result = KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
        if (result != 0) {
            queue.Fail(result);
            break;
        }
        std::unique_lock<std::mutex> hold(queue.lock);
        queue.changed.wait(hold, [&] {
            return queue.blocks.size() < kBlockWorkers * kBlocksQueuedPerWorker || queue.result != 0;
        });
        if (queue.result != 0)
            break;
        queue.blocks.push_back(block);
        queue.changed.notify_all();
    }
    {
        std::lock_guard<std::mutex> hold(queue.lock);
        queue.listed = true;
        queue.changed.notify_all();
    }
    for (std::thread& worker : workers)
        worker.join();
    return queue.result;
}
