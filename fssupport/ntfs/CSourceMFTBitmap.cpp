#include "CSourceMFTBitmap.h"

#include "CNtfsVolume.h"
#include "CRecordAttributeReader.h"
#include "NtfsLayout.h"

namespace {

// The most bytes $MFT's $BITMAP may have: a bit for each file record that the
// volume could hold (records are at least 512 bytes), with room for rounding. The
// size is read from the disk, and a damaged one must not make the reader allocate
// terabytes.
uint64_t LargestMftBitmapBytes(const CNtfsVolume& volume)
{
    const uint64_t records = volume.GetVolumeClusterCount() * (volume.GetBytesPerCluster() / 512);
    return records / 8 + volume.GetBytesPerCluster() + (uint64_t(1) << 20);
}

} // namespace

bool CSourceMFTBitmap::Init(CRecordAttributeReader& reader)
{
    bitmap_.Clear();
    uint64_t size = 0;
    if (reader.GetVolume() == nullptr || !reader.GetAttributeSize(NTFS_FILE_MFT, NTFS_AT_BITMAP, u"", size) ||
        size == 0 || size > LargestMftBitmapBytes(*reader.GetVolume()) || !bitmap_.CreateBitmap(size * 8))
        return false;
    if (!reader.GetAttributeData(NTFS_FILE_MFT, NTFS_AT_BITMAP, u"", bitmap_.GetBitmapData(), 0, size)) {
        bitmap_.Clear();
        return false;
    }
    return true;
}
