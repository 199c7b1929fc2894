// WaitForSingleObject and WaitForMultipleObjects. Time-outs run on the steady clock,
// not on the replaceable clock of Sleep: a wait is for another thread, and a test
// clock that jumped would end it before that thread had a chance.
#include "HandleTable.h"
#include "ThreadIdentity.h"
#include "WaitLock.h"

#include <chrono>
#include <vector>

using namespace ks_platform;

namespace {

DWORD Wait(DWORD count, const HANDLE* handles, bool waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<KernelObject>> objects;
    objects.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        std::shared_ptr<KernelObject> object = HandleTable::Instance().Find(handles[i]);
        if (!object)
            return WAIT_FAILED;
        if (!object->Waitable()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        // Waiting for all of the same object twice could never be granted at once.
        if (waitAll)
            for (const std::shared_ptr<KernelObject>& earlier : objects)
                if (earlier == object) {
                    SetLastError(ERROR_INVALID_PARAMETER);
                    return WAIT_FAILED;
                }
        objects.push_back(std::move(object));
    }

    const DWORD thread = CurrentThreadId();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock<std::mutex> lock(WaitLock());
    for (;;) {
        if (waitAll) {
            bool all = true;
            for (const std::shared_ptr<KernelObject>& object : objects)
                all = all && object->Signalled(thread);
            if (all) {
                DWORD result = WAIT_OBJECT_0;
                for (DWORD i = 0; i < count; ++i)
                    if (objects[i]->Take(thread) && result == WAIT_OBJECT_0)
                        result = WAIT_ABANDONED_0 + i;
                lock.unlock();
                // Taking a semaphore or event changes nothing others wait for, but
                // an abandoned mutex taken here is news for nobody either; no wake-up.
                return result;
            }
        } else {
            for (DWORD i = 0; i < count; ++i)
                if (objects[i]->Signalled(thread))
                    return objects[i]->Take(thread) ? WAIT_ABANDONED_0 + i : WAIT_OBJECT_0 + i;
        }
        if (milliseconds == 0) {
            SetLastError(WAIT_TIMEOUT);
            return WAIT_TIMEOUT;
        }
        if (milliseconds == INFINITE) {
            WaitChanged().wait(lock);
        } else if (WaitChanged().wait_until(lock, deadline) == std::cv_status::timeout &&
                   std::chrono::steady_clock::now() >= deadline) {
            // One last look: the state may have changed just as the time ran out.
            milliseconds = 0;
        }
    }
}

} // namespace

extern "C" DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    return Wait(1, &handle, false, milliseconds);
}

extern "C" DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    return Wait(count, handles, waitAll != FALSE, milliseconds);
}
