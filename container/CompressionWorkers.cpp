#include "CompressionWorkers.h"

#include <cstring>
#include <new>
#include <system_error>

#include "BlobCodec.h"
#include "BlockJob.h"
#include "CofranResult.h"
#include "crc64.h"

bool CompressionWorkers::Start(unsigned count)
{
    Stop();
    stopping_ = false;
    for (unsigned i = 0; i < count; ++i) {
        try {
            threads_.emplace_back([this] { Run(); });
        } catch (const std::system_error&) {
            break; // run with the threads there are
        }
    }
    return !threads_.empty();
}

void CompressionWorkers::Submit(BlockJob* job)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        job->done = false;
        queue_.push_back(job);
    }
    queued_.notify_one();
}

void CompressionWorkers::WaitFor(BlockJob* job)
{
    std::unique_lock<std::mutex> hold(lock_);
    finished_.wait(hold, [job] { return job->done; });
}

bool CompressionWorkers::IsDone(BlockJob* job)
{
    std::lock_guard<std::mutex> hold(lock_);
    return job->done;
}

void CompressionWorkers::Stop()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
        queue_.clear();
    }
    queued_.notify_all();
    for (std::thread& t : threads_)
        t.join();
    threads_.clear();
}

void CompressionWorkers::Work(BlockJob& job, BlobCodec& codec)
{
    job.crc = 0;
    crc64(job.raw.data(), job.rawSize, &job.crc);
    BlobCodec::Settings settings = job.settings;
    if (settings.cipher != nullptr)
        settings.cipher = &job.cipher;
    const unsigned char* out = nullptr;
    uint32_t size = 0;
    job.result = codec.Encode(settings, KS_GROUP_DATA, job.raw.data(), job.rawSize, &out, &size);
    if (KSFailed(job.result))
        return;
    job.storedSize = size;
    if (out == job.raw.data()) {
        job.storedBytes = job.raw.data();
        return;
    }
    try {
        job.stored.resize(size);
    } catch (const std::bad_alloc&) {
        job.result = COFRAN_FAIL(KS_KIND_NO_MEMORY);
        return;
    }
    std::memcpy(job.stored.data(), out, size);
    job.storedBytes = job.stored.data();
}

void CompressionWorkers::Run()
{
    BlobCodec codec;
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        queued_.wait(hold, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_)
            return;
        BlockJob* job = queue_.front();
        queue_.pop_front();
        hold.unlock();
        Work(*job, codec);
        hold.lock();
        job->done = true;
        finished_.notify_all();
    }
}
