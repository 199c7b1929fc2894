// Positioned reads and writes: move the file pointer to a 64-bit position given as
// its low and high word, then read or write as ReadFile/WriteFile do. A size of 0
// returns TRUE at once without moving the pointer.
#pragma once

#include <windows.h>

BOOL ReadFileExt(HANDLE file, LPVOID buffer, DWORD positionLow, DWORD positionHigh, DWORD size, LPDWORD read,
                 LPOVERLAPPED overlapped);
BOOL WriteFileExt(HANDLE file, LPCVOID data, DWORD positionLow, DWORD positionHigh, DWORD size,
                  LPDWORD written, LPOVERLAPPED overlapped);
