// The update-sequence fixup of multi-sector NTFS records (file records and index
// blocks). The last two bytes of every 512-byte stride were replaced on disk by the
// update sequence number; the true bytes wait in the update-sequence array.
#pragma once

#include <cstddef>

enum : size_t { NTFS_FIXUP_STRIDE = 512 };

// Restores the stride tails of a record of size bytes (a multiple of 512) in place.
// Fails, changing nothing, when the array does not fit the record, its count is not
// size / 512 + 1, or a stride tail does not hold the update sequence number (a torn
// or damaged record).
bool NtfsApplyUpdateSequence(unsigned char* record, size_t size);
