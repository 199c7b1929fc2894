#include "CSourceMFTBitmap.h"

#include <algorithm>

#include "CNtfsMFT.h"
#include "CNtfsVolume.h"
#include "CRecordAttributeReader.h"
#include "NtfsLayout.h"

namespace {

// The most bytes $MFT's $BITMAP may have: a bit for each file record that the
// volume could hold (records are at least 512 bytes), with room for rounding. A
// larger size is damage.
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
    const CNtfsVolume* volume = reader.GetVolume();
    const CNtfsMFT* mft = reader.GetMFT();
    if (volume == nullptr || mft == nullptr || !reader.GetAttributeSize(NTFS_FILE_MFT, NTFS_AT_BITMAP, u"", size) ||
        size == 0 || size > LargestMftBitmapBytes(*volume))
        return false;
    // Bits past the MFT's last record stand for no record: only the bytes of the
    // records that $MFT's runs hold are read, so the buffer is bounded by the
    // volume, not by the size the attribute claims.
    const uint64_t bytes = std::min(size, (mft->GetFileRecordCount() + 7) / 8);
    if (bytes == 0 || !bitmap_.CreateBitmap(bytes * 8))
        return false;
    if (!reader.GetAttributeData(NTFS_FILE_MFT, NTFS_AT_BITMAP, u"", bitmap_.GetBitmapData(), 0, bytes)) {
        bitmap_.Clear();
        return false;
    }
    return true;
}
