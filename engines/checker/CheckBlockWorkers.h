// The blocks of one image file checked side by side: the checker's thread walks
// the file's block list and queues each block here, a few workers read, decipher,
// inflate and CRC-check the queued blocks, each through an image object of its
// own, and the checker takes the results back in the order it queued the blocks.
// So the first damaged block in the walk's order is the one reported, and the
// progress moves block by block as before, whatever the worker count.
// With no workers the blocks are checked on the caller's thread, through the
// caller's image object, by the same code.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "IKSCofran.h"

class CheckBlockWorkers {
public:
    // An image object of the container's factory, or null.
    typedef IKSCofran* (*ImageMaker)();

    // What a worker opens: the image file, its volume, and how.
    struct Opening {
        ImageMaker make = nullptr;
        const wchar_t* path = nullptr;
        unsigned long mode = 0;
        const wchar_t* password = nullptr;
        unsigned long passwordBytes = 0;
        _KS_VOLUME volume{};
    };

    // The environment variable that asks for a worker count (read as the
    // backup's is); none or 0 takes one per processor.
    static constexpr const char* kVariable = "RVD_CHECK_WORKERS";
    static unsigned CountFromEnvironment();

    CheckBlockWorkers() = default;
    ~CheckBlockWorkers() { Stop(); }
    CheckBlockWorkers(const CheckBlockWorkers&) = delete;
    CheckBlockWorkers& operator=(const CheckBlockWorkers&) = delete;

    // Starts count workers on opening and waits until each has its file and
    // volume open; the first failure of one to open, after every started worker
    // has ended. count 0 checks on the caller's thread through image, which
    // must have the file and its volume open.
    unsigned long Start(const Opening& opening, unsigned count, IKSCofran* image);

    // Whether another block may be queued now.
    bool HasRoom() const;
    bool HasPending() const { return !pending_.empty(); }
    // Queues a block (checked at once when there are no workers).
    unsigned long Queue(const _KS_BLOCK& block);
    // Waits for the oldest queued block and takes it off: 0 when it is sound, else
    // the failure of its read or kind 0x00C when its bytes do not match its CRC-64.
    unsigned long TakeOldest(_KS_BLOCK* block);

    // Drops the blocks no worker has taken, waits for those being checked and
    // joins the workers; the objects they opened are closed and released.
    void Stop();

    // One block's check through an image object: the read, then the CRC-64.
    static unsigned long CheckOne(IKSCofran* image, const _KS_BLOCK& block, const _KS_VOLUME& volume,
                                  std::vector<unsigned char>& buffer);

private:
    struct Slot {
        _KS_BLOCK block{};
        unsigned long result = 0;
        bool taken = false;
        bool done = false;
    };

    void Run(const Opening& opening);

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Slot> pending_; // in the walk's order
    size_t started_ = 0;       // workers that have set up (or failed to)
    unsigned long setupResult_ = 0;
    bool stopping_ = false;
    unsigned count_ = 0;
    IKSCofran* inlineImage_ = nullptr;
    _KS_VOLUME volume_{};
    std::vector<unsigned char> inlineBuffer_;
    std::vector<std::thread> threads_;
};
