#include "CSourceBitmap.h"

#include "CNtfsVolume.h"
#include "CRecordAttributeReader.h"
#include "NtfsLayout.h"

namespace {

// The most bytes a $Bitmap value may have: a bit for each cluster, with room for
// the rounding up that file systems do. A larger size is damage.
uint64_t LargestBitmapBytes(const CNtfsVolume& volume)
{
    return (volume.GetVolumeClusterCount() + 7) / 8 + volume.GetBytesPerCluster() + (uint64_t(1) << 20);
}

} // namespace

bool CSourceBitmap::Init(CRecordAttributeReader& reader)
{
    bitmap_.Clear();
    uint64_t size = 0;
    const CNtfsVolume* volume = reader.GetVolume();
    if (volume == nullptr || !reader.GetAttributeSize(NTFS_FILE_BITMAP, NTFS_AT_DATA, u"", size))
        return false;
    // Only the bytes that hold a bit of a cluster are read and kept, so the
    // bitmap is exactly as large as the volume record says; the rounding after
    // them stands for no cluster.
    const uint64_t needed = (volume->GetVolumeClusterCount() + 7) / 8;
    if (size < needed || size > LargestBitmapBytes(*volume) || !bitmap_.CreateBitmap(needed * 8))
        return false;
    if (!reader.GetAttributeData(NTFS_FILE_BITMAP, NTFS_AT_DATA, u"", bitmap_.GetBitmapData(), 0, needed)) {
        bitmap_.Clear();
        return false;
    }
    return true;
}
