// Critical sections: a recursive lock that InitializeCriticalSection makes and keeps
// behind DebugInfo. The lock knows its owner, so that a LeaveCriticalSection by a
// thread that does not own the section is ignored instead of unlocking another
// thread's lock.
#include <windows.h>

#include "ThreadIdentity.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

using ks_platform::CurrentThreadId;

namespace {

struct SectionLock {
    std::recursive_mutex lock;
    std::atomic<DWORD> owner{0};
    unsigned depth = 0; // touched by the owner only
};

SectionLock& LockOf(LPCRITICAL_SECTION section)
{
    if (!section || !section->DebugInfo) {
        // Windows faults here too; say why before ending.
        std::fputs("critical section used before InitializeCriticalSection\n", stderr);
        std::abort();
    }
    return *static_cast<SectionLock*>(section->DebugInfo);
}

void NoteEntered(SectionLock& section)
{
    section.owner.store(CurrentThreadId());
    ++section.depth;
}

} // namespace

extern "C" void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section)
{
    if (!section)
        return;
    *section = RTL_CRITICAL_SECTION{};
    section->DebugInfo = new SectionLock;
}

extern "C" void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section)
{
    SectionLock& lock = LockOf(section);
    lock.lock.lock();
    NoteEntered(lock);
}

extern "C" BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION section)
{
    SectionLock& lock = LockOf(section);
    if (!lock.lock.try_lock())
        return FALSE;
    NoteEntered(lock);
    return TRUE;
}

extern "C" void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section)
{
    SectionLock& lock = LockOf(section);
    if (lock.owner.load() != CurrentThreadId())
        return;
    if (--lock.depth == 0)
        lock.owner.store(0);
    lock.lock.unlock();
}

extern "C" void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    if (!section || !section->DebugInfo)
        return;
    delete static_cast<SectionLock*>(section->DebugInfo);
    section->DebugInfo = nullptr;
}
