#include "CSourceBitmap.h"

#include "CNtfsVolume.h"
#include "CRecordAttributeReader.h"
#include "NtfsLayout.h"

namespace {

// The most bytes a $Bitmap value may have: a bit for each cluster, with room for
// the rounding up that file systems do. The size is read from the disk, and a
// damaged one must not make the reader allocate terabytes.
uint64_t LargestBitmapBytes(const CNtfsVolume& volume)
{
    return (volume.GetVolumeClusterCount() + 7) / 8 + volume.GetBytesPerCluster() + (uint64_t(1) << 20);
}

} // namespace

bool CSourceBitmap::Init(CRecordAttributeReader& reader)
{
    bitmap_.Clear();
    uint64_t size = 0;
    if (reader.GetVolume() == nullptr ||
        !reader.GetAttributeSize(NTFS_FILE_BITMAP, NTFS_AT_DATA, u"", size) || size == 0 ||
        size > LargestBitmapBytes(*reader.GetVolume()) || !bitmap_.CreateBitmap(size * 8))
        return false;
    if (!reader.GetAttributeData(NTFS_FILE_BITMAP, NTFS_AT_DATA, u"", bitmap_.GetBitmapData(), 0, size)) {
        bitmap_.Clear();
        return false;
    }
    return true;
}
