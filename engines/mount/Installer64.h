// The driver install on 64-bit Windows: the 64-bit installer "x64\Inst.exe" beside
// the running program, started with "-I <folder>"; its exit code is the result.
#pragma once

// The exit code, or kind 0x100 (module 6) when the program's path cannot be had,
// the installer does not start or its exit code cannot be read.
unsigned long RunInstaller64(const wchar_t* folder);
