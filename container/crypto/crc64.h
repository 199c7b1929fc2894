// CRC-64 that protects the blocks, sector runs and index chunks of an image set.
//
//   unsigned long crc64(const unsigned char* data, unsigned long length, uint64_t* out);
//
// Reflected; polynomial 0xAD93D23594C935A9 (reflected 0x95AC9329AC4BC9B5), register
// starts with all bits set, no final XOR. Callers store the value little-endian.
// Every block is checked on its first read, so speed matters: on x86-64 processors
// with carry-less multiplication long inputs are folded 64 bytes a step, otherwise
// sixteen bytes a step through tables; both give the one-table loop's values.
// Defining RVD_CRC64_TABLE_ONLY builds the table path alone (for code that may not
// touch vector registers).
// Check value of the nine bytes "123456789": 0xCAA717168609F281.
//
// Returns 0, or a KS result code with module number 3 (the image container's) and kind
// 0x009 when data or out is null. A length of 0 gives the initial value, all bits set.
#pragma once

#include <cstdint>

unsigned long crc64(const unsigned char* data, unsigned long length, uint64_t* out);
