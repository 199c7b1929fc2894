#include "NtfsPlainRecord.h"

#include <algorithm>
#include <cstring>

#include "LittleEndian.h"
#include "NtfsLayout.h"
#include "NtfsUpdateSequence.h"

bool NtfsPlainRecord::Load(uint8_t* volume, size_t volumeSize, size_t offset, size_t size)
{
    plain_.clear();
    if (offset > volumeSize || size > volumeSize - offset || size < NTFS_FIXUP_STRIDE ||
        size % NTFS_FIXUP_STRIDE != 0)
        return false;
    plain_.assign(volume + offset, volume + offset + size);
    if (!NtfsApplyUpdateSequence(plain_.data(), plain_.size())) {
        plain_.clear();
        return false;
    }
    volume_ = volume;
    offset_ = offset;
    return true;
}

void NtfsPlainRecord::Store()
{
    if (plain_.empty())
        return;
    const size_t strides = plain_.size() / NTFS_FIXUP_STRIDE;
    const size_t array = LoadLE16(plain_.data() + 4);
    const size_t count = LoadLE16(plain_.data() + 6);
    if (count == strides + 1 && array >= 8 && array + 2 * count <= NTFS_FIXUP_STRIDE - 2) {
        const uint16_t usn = static_cast<uint16_t>(LoadLE16(plain_.data() + array) + 1);
        StoreLE16(plain_.data() + array, usn);
        for (size_t i = 0; i < strides; ++i) {
            unsigned char* tail = plain_.data() + (i + 1) * NTFS_FIXUP_STRIDE - 2;
            plain_[array + 2 * (i + 1)] = tail[0];
            plain_[array + 2 * (i + 1) + 1] = tail[1];
            StoreLE16(tail, usn);
        }
    }
    std::memcpy(volume_ + offset_, plain_.data(), plain_.size());
}

std::vector<size_t> NtfsPlainRecord::Attributes() const
{
    std::vector<size_t> found;
    if (plain_.size() < sizeof(NtfsFileRecordHeader))
        return found;
    const size_t inUse = std::min<size_t>(LoadLE32(plain_.data() + 24), plain_.size());
    size_t at = LoadLE16(plain_.data() + 20);
    while (at + 24 <= inUse && found.size() < 64) {
        const uint32_t type = LoadLE32(plain_.data() + at);
        const uint32_t length = LoadLE32(plain_.data() + at + 4);
        if (type == NTFS_AT_END || length < 16 || length > inUse - at)
            break;
        found.push_back(at);
        at += length;
    }
    return found;
}

size_t NtfsPlainRecord::FindAttribute(uint32_t type) const
{
    for (size_t at : Attributes()) {
        if (LoadLE32(plain_.data() + at) == type && plain_[at + 9] == 0)
            return at;
    }
    return 0;
}
