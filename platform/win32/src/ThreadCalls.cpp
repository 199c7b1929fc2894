// Threads: CreateThread, _beginthreadex and what may be asked of a thread.
#include "HandleTable.h"
#include "ThreadIdentity.h"
#include "ThreadObject.h"
#include "WaitLock.h"

#include <process.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

using namespace ks_platform;

namespace {

// GetCurrentThread's pseudo handle.
const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

bool ValidPriority(int priority)
{
    return (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST) ||
           priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL;
}

} // namespace

namespace ks_platform {

HANDLE StartThread(std::function<DWORD()> body, bool suspended, DWORD* threadId)
{
    auto thread = std::make_shared<ThreadObject>(NewThreadId(), suspended);
    HANDLE handle = HandleTable::Instance().Add(thread);
    if (!handle)
        return nullptr;
    try {
        // The running thread keeps its object alive; CloseHandle does not stop it,
        // as on Windows, so it is detached.
        std::thread([thread, body = std::move(body)] {
            AdoptThreadId(thread->Id());
            {
                std::unique_lock<std::mutex> lock(WaitLock());
                WaitChanged().wait(lock, [&] { return !thread->Suspended(); });
            }
            const DWORD exitCode = body();
            {
                std::lock_guard<std::mutex> guard(WaitLock());
                thread->End(exitCode);
            }
            WaitChanged().notify_all();
        }).detach();
    } catch (const std::system_error&) {
        HandleTable::Instance().Remove(handle, [](ObjectKind) { return true; });
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId)
        *threadId = thread->Id();
    return handle;
}

} // namespace ks_platform

extern "C" HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                                      DWORD creationFlags, LPDWORD threadId)
{
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return StartThread([start, parameter] { return start(parameter); }, (creationFlags & CREATE_SUSPENDED) != 0,
                       threadId);
}

extern "C" uintptr_t _beginthreadex(void*, unsigned, unsigned(__stdcall* start)(void*), void* argument,
                                    unsigned initFlag, unsigned* threadId)
{
    if (!start) {
        errno = EINVAL;
        return 0;
    }
    DWORD id = 0;
    HANDLE handle = StartThread([start, argument] { return static_cast<DWORD>(start(argument)); },
                                (initFlag & CREATE_SUSPENDED) != 0, &id);
    if (!handle) {
        errno = EAGAIN;
        return 0;
    }
    if (threadId)
        *threadId = id;
    return reinterpret_cast<uintptr_t>(handle);
}

extern "C" DWORD WINAPI ResumeThread(HANDLE handle)
{
    std::shared_ptr<ThreadObject> thread = HandleTable::Instance().FindAs<ThreadObject>(handle, ObjectKind::Thread);
    if (!thread)
        return static_cast<DWORD>(-1);
    DWORD previous;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        previous = thread->Suspended() ? 1 : 0;
        thread->Resume();
    }
    WaitChanged().notify_all();
    return previous;
}

extern "C" BOOL WINAPI GetExitCodeThread(HANDLE handle, LPDWORD exitCode)
{
    std::shared_ptr<ThreadObject> thread = HandleTable::Instance().FindAs<ThreadObject>(handle, ObjectKind::Thread);
    if (!thread)
        return FALSE;
    if (!exitCode) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(WaitLock());
    *exitCode = thread->ExitCode();
    return TRUE;
}

extern "C" BOOL WINAPI SetThreadPriority(HANDLE handle, int priority)
{
    if (!ValidPriority(priority)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (handle == kCurrentThread) {
        CurrentThreadPriority() = priority;
        return TRUE;
    }
    std::shared_ptr<ThreadObject> thread = HandleTable::Instance().FindAs<ThreadObject>(handle, ObjectKind::Thread);
    if (!thread)
        return FALSE;
    std::lock_guard<std::mutex> guard(WaitLock());
    thread->priority = priority;
    return TRUE;
}

extern "C" int WINAPI GetThreadPriority(HANDLE handle)
{
    if (handle == kCurrentThread)
        return CurrentThreadPriority();
    std::shared_ptr<ThreadObject> thread = HandleTable::Instance().FindAs<ThreadObject>(handle, ObjectKind::Thread);
    if (!thread)
        return THREAD_PRIORITY_ERROR_RETURN;
    std::lock_guard<std::mutex> guard(WaitLock());
    return thread->priority;
}

extern "C" HANDLE WINAPI GetCurrentThread(void) { return kCurrentThread; }

extern "C" DWORD WINAPI GetCurrentThreadId(void) { return CurrentThreadId(); }

extern "C" DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(::getpid()); }
