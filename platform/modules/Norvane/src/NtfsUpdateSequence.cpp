#include "NtfsUpdateSequence.h"

#include "LittleEndian.h"

bool NtfsApplyUpdateSequence(unsigned char* record, size_t size)
{
    if (record == nullptr || size < NTFS_FIXUP_STRIDE || size % NTFS_FIXUP_STRIDE != 0)
        return false;
    const size_t arrayOffset = LoadLE16(record + 4);
    const size_t count = LoadLE16(record + 6);
    const size_t strides = size / NTFS_FIXUP_STRIDE;
    // The array sits after the 8-byte magic/offset/count head and must end before
    // the first stride tail, which it would otherwise overwrite while being read.
    if (count != strides + 1 || arrayOffset < 8 || arrayOffset % 2 != 0 ||
        arrayOffset + 2 * count > NTFS_FIXUP_STRIDE - 2)
        return false;
    const uint16_t usn = LoadLE16(record + arrayOffset);
    for (size_t i = 0; i < strides; ++i) {
        if (LoadLE16(record + (i + 1) * NTFS_FIXUP_STRIDE - 2) != usn)
            return false;
    }
    for (size_t i = 0; i < strides; ++i) {
        unsigned char* tail = record + (i + 1) * NTFS_FIXUP_STRIDE - 2;
        const unsigned char* saved = record + arrayOffset + 2 * (i + 1);
        tail[0] = saved[0];
        tail[1] = saved[1];
    }
    return true;
}
