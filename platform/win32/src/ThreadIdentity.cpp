#include "ThreadIdentity.h"

#include "MutexObject.h"
#include "WaitLock.h"

#include <atomic>
#include <vector>

namespace ks_platform {

namespace {

std::atomic<DWORD> nextThreadId{1000};

// Lives as long as the thread; its destructor abandons the mutexes the thread still
// owns, as Windows does for a thread that ends while holding one.
struct ThreadState {
    DWORD id = 0;
    int priority = THREAD_PRIORITY_NORMAL;
    std::vector<std::weak_ptr<MutexObject>> owned;

    ~ThreadState()
    {
        if (owned.empty())
            return;
        {
            std::lock_guard<std::mutex> guard(WaitLock());
            for (const std::weak_ptr<MutexObject>& weak : owned)
                if (std::shared_ptr<MutexObject> mutex = weak.lock())
                    mutex->Abandon(id);
        }
        WaitChanged().notify_all();
    }
};

ThreadState& State()
{
    thread_local ThreadState state;
    return state;
}

} // namespace

DWORD NewThreadId() { return nextThreadId.fetch_add(4); }

void AdoptThreadId(DWORD id) { State().id = id; }

DWORD CurrentThreadId()
{
    ThreadState& state = State();
    if (state.id == 0)
        state.id = NewThreadId();
    return state.id;
}

void NoteOwnedMutex(const std::shared_ptr<MutexObject>& mutex)
{
    std::vector<std::weak_ptr<MutexObject>>& owned = State().owned;
    // Forget mutexes that are gone, so a long-lived thread's list stays short.
    for (size_t i = 0; i < owned.size();) {
        const std::shared_ptr<MutexObject> known = owned[i].lock();
        if (known == mutex)
            return;
        if (!known) {
            owned[i] = owned.back();
            owned.pop_back();
        } else {
            ++i;
        }
    }
    owned.push_back(mutex);
}

int& CurrentThreadPriority() { return State().priority; }

} // namespace ks_platform
