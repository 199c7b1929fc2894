// How the urgent-block store lays out its space: an 8 MiB memory pool, then spill
// files of 400 MiB each (at most 128) in the temp folder, mapped in 8 MiB steps.
// Tests change the seams at the end; the store always runs with the defaults.
#pragma once

#include <windows.h>

#include <cstdint>

struct UrgStoreLayout {
    uint32_t poolBytes = 0x800000;
    uint64_t spillFileBytes = 0x19000000;
    uint64_t growStep = 0x800000;
    uint32_t maxSpillFiles = 128;
    // Seams for tests: where the spill space starts filling (to reach a file boundary
    // without writing what lies before it), and the mapping call.
    uint64_t firstSpillOffset = 0;
    HANDLE(WINAPI* createMapping)(HANDLE, LPSECURITY_ATTRIBUTES, DWORD, DWORD, DWORD, LPCWSTR) = CreateFileMappingW;
};
