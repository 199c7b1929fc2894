// Whether a process is a 32-bit program running on 64-bit Windows.
#pragma once

#include "windef.h"

extern "C" {
// FALSE with the last error set when the handle is not a process.
BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64);
}
