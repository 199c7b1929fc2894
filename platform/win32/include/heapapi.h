// Private heaps: a module's own heap for its temporary buffers.
#pragma once

#include "windef.h"

#define HEAP_NO_SERIALIZE 0x00000001u
#define HEAP_GENERATE_EXCEPTIONS 0x00000004u
#define HEAP_ZERO_MEMORY 0x00000008u

extern "C" {
// maximumSize 0: a heap that grows. Null with the last error set when it cannot be made.
HANDLE WINAPI HeapCreate(DWORD options, SIZE_T initialSize, SIZE_T maximumSize);
// Frees every block still allocated from the heap.
BOOL WINAPI HeapDestroy(HANDLE heap);
// Null when the block cannot be had (or the heap is not one of HeapCreate's).
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
// A null block is not an error.
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block);
}
