// Synchronisation objects and waits: events, mutexes, semaphores, critical
// sections, WaitForSingleObject/WaitForMultipleObjects and Sleep.
//
// Every object handle lives in the layer's one handle table and is closed with
// CloseHandle; a handle used after it was closed fails with ERROR_INVALID_HANDLE.
// Names given to Create* calls make one object per name and kind within the process:
// creating an existing one opens it and sets ERROR_ALREADY_EXISTS; a name already
// used by another kind fails with ERROR_INVALID_HANDLE.
#pragma once

#include "minwinbase.h"
#include "windef.h"

extern "C" {
HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name);
HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCWSTR name);
BOOL WINAPI SetEvent(HANDLE event);
BOOL WINAPI ResetEvent(HANDLE event);

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCSTR name);
HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCWSTR name);
// ERROR_NOT_OWNER when the calling thread does not own the mutex.
BOOL WINAPI ReleaseMutex(HANDLE mutex);

HANDLE WINAPI CreateSemaphoreA(LPSECURITY_ATTRIBUTES security, LONG initialCount, LONG maximumCount, LPCSTR name);
HANDLE WINAPI CreateSemaphoreW(LPSECURITY_ATTRIBUTES security, LONG initialCount, LONG maximumCount, LPCWSTR name);
// ERROR_TOO_MANY_POSTS when the count would pass the maximum; the count is unchanged.
BOOL WINAPI ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LPLONG previousCount);

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section);
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION section);
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section);
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section);

// WAIT_OBJECT_0, WAIT_ABANDONED (a mutex whose owner thread ended while holding it),
// WAIT_TIMEOUT (last error WAIT_TIMEOUT too) or WAIT_FAILED with the last error set.
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// WAIT_OBJECT_0 + index of the first signalled handle (all of them with waitAll),
// WAIT_ABANDONED_0 + index, WAIT_TIMEOUT or WAIT_FAILED.
DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// Through the layer's clock: a test clock may let the time pass at once.
void WINAPI Sleep(DWORD milliseconds);
}
