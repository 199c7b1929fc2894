// Device control.
#pragma once

#include "minwinbase.h"
#include "windef.h"

extern "C" {
// Sends code to the device behind the handle (a "\\.\..." device opened with
// CreateFileA/W). ERROR_INVALID_FUNCTION for a code the device does not know or a
// handle that is no device; ERROR_INVALID_HANDLE for a handle that is not open.
BOOL WINAPI DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                            LPDWORD returned, LPOVERLAPPED overlapped);
}
