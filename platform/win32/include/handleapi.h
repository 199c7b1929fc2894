// Closing handles.
#pragma once

#include "windef.h"

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

extern "C" {
// Closes a file handle; TRUE on success.
BOOL WINAPI CloseHandle(HANDLE handle);
}
