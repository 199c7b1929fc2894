// Threads of the process. A thread handle is signalled when the thread ends;
// GetExitCodeThread answers STILL_ACTIVE until then. Priorities are kept and
// reported but change nothing.
#pragma once

#include "minwinbase.h"
#include "windef.h"

extern "C" {
HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                           LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
// Starts a thread made with CREATE_SUSPENDED; returns the suspend count before the
// call (1 for a suspended thread, 0 for a running one) or (DWORD)-1 on failure.
DWORD WINAPI ResumeThread(HANDLE thread);
BOOL WINAPI GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
BOOL WINAPI SetThreadPriority(HANDLE thread, int priority);
int WINAPI GetThreadPriority(HANDLE thread);
// A pseudo handle meaning "the calling thread"; it needs no closing.
HANDLE WINAPI GetCurrentThread(void);
DWORD WINAPI GetCurrentThreadId(void);
DWORD WINAPI GetCurrentProcessId(void);
}
