// The one clock behind Sleep, GetTickCount and _time64, and the test clock that
// never waits.
#include "KSPlatformControl.h"

#include <time.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

class RealClock : public KSClock {
public:
    uint64_t Milliseconds() override
    {
        struct timespec reading;
        ::clock_gettime(CLOCK_MONOTONIC, &reading);
        return static_cast<uint64_t>(reading.tv_sec) * 1000u + static_cast<uint64_t>(reading.tv_nsec) / 1000000u;
    }
    int64_t UnixSeconds() override { return static_cast<int64_t>(::time(nullptr)); }
    void Sleep(DWORD milliseconds) override
    {
        if (milliseconds == 0)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

RealClock realClock;
std::atomic<KSClock*> currentClock{nullptr};

KSClock& Current()
{
    KSClock* clock = currentClock.load();
    return clock ? *clock : realClock;
}

} // namespace

struct KSFakeClock::State {
    std::mutex lock;
    uint64_t startMilliseconds;
    uint64_t milliseconds;
    int64_t startUnixSeconds;
    uint64_t slept = 0;
};

KSFakeClock::KSFakeClock(uint64_t milliseconds, int64_t unixSeconds) : state_(std::make_shared<State>())
{
    state_->startMilliseconds = milliseconds;
    state_->milliseconds = milliseconds;
    state_->startUnixSeconds = unixSeconds;
}

uint64_t KSFakeClock::Milliseconds()
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->milliseconds;
}

// The calendar moves with the tick count, so both tell the same elapsed time.
int64_t KSFakeClock::UnixSeconds()
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->startUnixSeconds + static_cast<int64_t>((state_->milliseconds - state_->startMilliseconds) / 1000);
}

void KSFakeClock::Sleep(DWORD milliseconds)
{
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        state_->milliseconds += milliseconds;
        state_->slept += milliseconds;
    }
    // Other threads that a poll loop waits for still get their turn.
    std::this_thread::yield();
}

void KSFakeClock::Advance(uint64_t milliseconds)
{
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->milliseconds += milliseconds;
}

uint64_t KSFakeClock::Slept() const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->slept;
}

KSClock* KSPlatformSetClock(KSClock* clock) { return currentClock.exchange(clock); }

extern "C" void WINAPI Sleep(DWORD milliseconds) { Current().Sleep(milliseconds); }

extern "C" DWORD WINAPI GetTickCount(void) { return static_cast<DWORD>(Current().Milliseconds()); }

extern "C" __time64_t _time64(__time64_t* destination)
{
    const __time64_t now = Current().UnixSeconds();
    if (destination)
        *destination = now;
    return now;
}
