// Comparison of a volume's used-cluster bitmap, as its file system reports it, with
// the bitmap of the clusters its image holds.
#pragma once

#include <cstddef>
#include <cstdint>

// Returns 0 when every cluster among the first bitCount that the file system uses is
// set in the image bitmap; otherwise the checker's bitmap-mismatch code (one code
// for whole bytes, another for the byte that holds the last bits when bitCount is
// not a multiple of 8). Bits the image bitmap does not reach count as missing, and
// clusters the image holds beyond what the file system uses are fine.
unsigned long CompareVolumeBitmaps(const uint8_t* fsBitmap, size_t fsBytes, const uint8_t* imageBitmap,
                                   size_t imageBytes, uint64_t bitCount);

// A volume copied sector by sector must have every cluster in its image: every
// byte but the last (which may hold bits past the end) is 0xFF.
bool ImageBitmapIsFull(const uint8_t* imageBitmap, size_t imageBytes);
