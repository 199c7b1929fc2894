// A device manager module in the test process: Refresh can be held until the test
// lets it return.
#pragma once

#include "vessmar/IVessmarModule.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

class FakeVessmarModule : public IVessmarModule {
public:
    IObject* GetInterface(const char*) override { return this; }
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long VessmarReserved5() override { return 0; }
    unsigned long VessmarReserved6() override { return 0; }
    IObject* Open(unsigned long) override { return nullptr; }
    IManager* GetManager() override { return nullptr; }
    unsigned long Attach(IObject*) override { return 0; }

    unsigned long Refresh(unsigned long flags) override
    {
        lastFlags = flags;
        ++refreshCalls;
        std::unique_lock<std::mutex> lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !hold_; });
        return 0;
    }

    void Hold()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hold_ = true;
        entered_ = false;
    }
    void Let()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hold_ = false;
        changed_.notify_all();
    }
    bool WaitEntered()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return entered_; });
    }

    std::atomic<unsigned long> lastFlags{99};
    std::atomic<int> refreshCalls{0};

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool hold_ = false;
    bool entered_ = false;
};
