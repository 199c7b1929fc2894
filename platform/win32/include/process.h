// The C run-time's thread start.
#pragma once

#include <cstdint>

#include "windef.h"

extern "C" {
// Starts start(argument) on a new thread and returns its handle (a HANDLE, closed
// with CloseHandle) as an integer, or 0 with errno set. initFlag may be
// CREATE_SUSPENDED; threadId receives the thread's id when not null.
uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned(__stdcall* start)(void*),
                         void* argument, unsigned initFlag, unsigned* threadId);
}
