// The driver install on 64-bit Windows: the 64-bit installer "x64\Inst.exe" beside
// the running program, started with "-I <folder>"; its exit code is the result.
#pragma once

#include <windows.h>

// How long the installer is given: slices waits for its end, then up to reads looks
// at its exit code, readPause apart, while it still runs.
struct Installer64Waits {
    unsigned slices = 20;
    DWORD sliceMilliseconds = 10000;
    unsigned reads = 10;
    DWORD readPauseMilliseconds = 2000;
};

// The exit code, or kind 0x100 (module 6) when the program's path cannot be had, the
// installer does not start, its exit code cannot be read or it is still running after
// all the waits. The second argument is accepted and not used.
unsigned long RunInstaller64(const wchar_t* folder, unsigned long unused,
                             const Installer64Waits& waits = Installer64Waits());
