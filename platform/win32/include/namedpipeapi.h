// Anonymous pipes. ReadFile on the read end returns what the writers have written so
// far (at least one byte) and fails with ERROR_BROKEN_PIPE once every write end is
// closed; WriteFile on a pipe whose readers are gone fails with ERROR_NO_DATA.
#pragma once

#include "minwinbase.h"
#include "windef.h"

extern "C" {
BOOL WINAPI CreatePipe(PHANDLE readPipe, PHANDLE writePipe, LPSECURITY_ATTRIBUTES attributes, DWORD size);
}
