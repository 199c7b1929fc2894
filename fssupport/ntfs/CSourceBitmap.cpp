#include "CSourceBitmap.h"

#include "CRecordAttributeReader.h"
#include "NtfsLayout.h"

bool CSourceBitmap::Init(CRecordAttributeReader& reader)
{
    bitmap_.Clear();
    uint64_t size = 0;
    if (!reader.GetAttributeSize(NTFS_FILE_BITMAP, NTFS_AT_DATA, u"", size) || size == 0 ||
        size > (uint64_t(1) << 45) || !bitmap_.CreateBitmap(size * 8))
        return false;
    if (!reader.GetAttributeData(NTFS_FILE_BITMAP, NTFS_AT_DATA, u"", bitmap_.GetBitmapData(), 0, size)) {
        bitmap_.Clear();
        return false;
    }
    return true;
}
