// Threads that compress, encrypt and checksum data blocks for the writer. Jobs are
// handed in one at a time and finish in any order; the writer waits for each in
// the order it places them. Every worker keeps its own codec, so its deflate
// stream is set up once and reset per block.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class BlobCodec;
struct BlockJob;

class CompressionWorkers {
public:
    CompressionWorkers() = default;
    ~CompressionWorkers() { Stop(); }
    CompressionWorkers(const CompressionWorkers&) = delete;
    CompressionWorkers& operator=(const CompressionWorkers&) = delete;

    // Starts count threads; false when not even one could start.
    bool Start(unsigned count);
    bool Running() const { return !threads_.empty(); }

    // Queues a job; a worker takes it as soon as one is free.
    void Submit(BlockJob* job);
    // Waits until a worker has finished the job.
    void WaitFor(BlockJob* job);
    bool IsDone(BlockJob* job);

    // Drops the jobs no worker has taken yet, waits for the running ones and
    // joins the threads. The dropped jobs stay unfinished.
    void Stop();

    // The fixed work of one job, done on the calling thread by a worker.
    static void Work(BlockJob& job, BlobCodec& codec);

private:
    void Run();

    std::mutex lock_;
    std::condition_variable queued_;   // a job was queued, or stopping
    std::condition_variable finished_; // a job was finished
    std::deque<BlockJob*> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};
