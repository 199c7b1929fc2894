// Spin locks, fast mutexes, events, semaphores and interlocked counts over the
// C++ library's threads. A spin lock never sleeps in a kernel; here a mutex does
// the same job for the short sections the core guards with one.
#include "ZeDiskPort.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

struct ZdPortLock {
    std::mutex mutex;
};
struct ZdPortMutex {
    std::mutex mutex;
};
struct ZdPortEvent {
    std::mutex lock;
    std::condition_variable changed;
    bool notification = false;   // stays set until cleared; else one waiter clears it
    bool signalled = false;
};
struct ZdPortSemaphore {
    std::mutex lock;
    std::condition_variable changed;
    int64_t count = 0;
    int64_t limit = 0;
};

namespace {

enum : ZdStatus { WDK_STATUS_SUCCESS = 0, WDK_STATUS_TIMEOUT = 0x102 };

template <typename Ready>
ZdStatus WaitUntil(std::condition_variable& changed, std::unique_lock<std::mutex>& guard, int64_t timeoutMs,
                   Ready ready)
{
    if (timeoutMs < 0) {
        changed.wait(guard, ready);
        return WDK_STATUS_SUCCESS;
    }
    return changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), ready) ? WDK_STATUS_SUCCESS
                                                                                : WDK_STATUS_TIMEOUT;
}

} // namespace

extern "C" {

ZdPortLock* ZdPortLockCreate(void) { return new ZdPortLock; }
void ZdPortLockDestroy(ZdPortLock* lock) { delete lock; }
void ZdPortLockAcquire(ZdPortLock* lock) { lock->mutex.lock(); }
void ZdPortLockRelease(ZdPortLock* lock) { lock->mutex.unlock(); }

ZdPortMutex* ZdPortMutexCreate(void) { return new ZdPortMutex; }
void ZdPortMutexDestroy(ZdPortMutex* mutex) { delete mutex; }
void ZdPortMutexAcquire(ZdPortMutex* mutex) { mutex->mutex.lock(); }
void ZdPortMutexRelease(ZdPortMutex* mutex) { mutex->mutex.unlock(); }

ZdPortEvent* ZdPortEventCreate(int notification, int signalled)
{
    ZdPortEvent* event = new ZdPortEvent;
    event->notification = notification != 0;
    event->signalled = signalled != 0;
    return event;
}
void ZdPortEventDestroy(ZdPortEvent* event) { delete event; }
void ZdPortEventSet(ZdPortEvent* event)
{
    std::lock_guard<std::mutex> guard(event->lock);
    event->signalled = true;
    event->changed.notify_all();
}
void ZdPortEventClear(ZdPortEvent* event)
{
    std::lock_guard<std::mutex> guard(event->lock);
    event->signalled = false;
}
ZdStatus ZdPortEventWait(ZdPortEvent* event, int64_t timeoutMs)
{
    std::unique_lock<std::mutex> guard(event->lock);
    const ZdStatus status = WaitUntil(event->changed, guard, timeoutMs, [event] { return event->signalled; });
    if (status == WDK_STATUS_SUCCESS && !event->notification)
        event->signalled = false;
    return status;
}

ZdPortSemaphore* ZdPortSemaphoreCreate(int32_t count, int32_t limit)
{
    ZdPortSemaphore* semaphore = new ZdPortSemaphore;
    semaphore->count = count;
    semaphore->limit = limit;
    return semaphore;
}
void ZdPortSemaphoreDestroy(ZdPortSemaphore* semaphore) { delete semaphore; }
void ZdPortSemaphoreRelease(ZdPortSemaphore* semaphore, int32_t adjustment)
{
    std::lock_guard<std::mutex> guard(semaphore->lock);
    semaphore->count += adjustment;
    if (semaphore->count > semaphore->limit)
        semaphore->count = semaphore->limit;
    semaphore->changed.notify_all();
}
ZdStatus ZdPortSemaphoreWait(ZdPortSemaphore* semaphore, int64_t timeoutMs)
{
    std::unique_lock<std::mutex> guard(semaphore->lock);
    const ZdStatus status =
        WaitUntil(semaphore->changed, guard, timeoutMs, [semaphore] { return semaphore->count > 0; });
    if (status == WDK_STATUS_SUCCESS)
        --semaphore->count;
    return status;
}

int32_t ZdPortInterlockedIncrement(volatile int32_t* value)
{
    return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST);
}
int32_t ZdPortInterlockedDecrement(volatile int32_t* value)
{
    return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST);
}

} // extern "C"
