// Closing handles.
#pragma once

#include "windef.h"

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

extern "C" {
// Closes any handle of the layer's handle table (file, device, thread, event, mutex,
// semaphore); TRUE on success, ERROR_INVALID_HANDLE for a handle that is not open.
BOOL WINAPI CloseHandle(HANDLE handle);
}
