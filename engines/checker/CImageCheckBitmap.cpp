// The bitmap comparison: the file system held in the image is mounted through a
// file-system reader over the image device, and every cluster it uses must be in
// the image's bitmap of the volume.
#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

#include "CImageCheck.h"
#include "CImgDeviceCheck.h"
#include "CheckResult.h"
#include "FsReaderChooser.h"
#include "KSFSSupport.h"
#include "VolumeBitmapCompare.h"

namespace {

// Releases the reader when the comparison ends, whichever way.
struct ReaderHolder {
    IKSFSSupport* reader = nullptr;
    ~ReaderHolder()
    {
        if (reader != nullptr)
            reader->Release();
    }
};

} // namespace

unsigned long CImageCheck::VolumnBitmapCompare(const _KS_VOLUME& volume)
{
    wchar_t file[KS_PATH_CHARS] = {};
    unsigned long rc = 0;
    if (OnDiscSet() && !HasDiscRecords()) {
        uint32_t number = 0;
        if ((rc = LocateDiscFileForOffset(volume.RunIndexOffset, file, &number)) != 0)
            return rc;
    } else {
        int index = -1;
        if ((rc = FindVolumeFile(0, volume, &index)) != 0)
            return rc;
        const _KS_IMG& found = files_[static_cast<size_t>(index)];
        if ((rc = SureNeedCd(found.FileNumber, 0)) != 0)
            return rc;
        std::wcsncpy(file, found.Path, KS_PATH_CHARS - 1);
    }

    CImgDeviceCheck device(container_, file, volume);
    if (!device.Open(PasswordOrNull(), PasswordBytes()))
        return CheckResult::DeviceOpenFailed;

    ReaderHolder holder;
    rc = ChooseFsReader(&CImgDeviceCheck::ReadForReader, &CImgDeviceCheck::DiscardForReader, &device,
                        KS_MODULE_CHECKER, &holder.reader);
    if (rc != 0 || holder.reader == nullptr)
        return KSResultKind(rc) == CheckResult::KIND_WRONG_OBJECT || rc == 0 ? CheckResult::NoFileSystemReader : rc;
    IKSFSSupport* reader = holder.reader;
    if ((rc = reader->WalkThroughVolume(nullptr)) != 0)
        return rc;
    _KS_VOLUME mounted;
    std::memset(&mounted, 0, sizeof mounted);
    if ((rc = reader->GetVolumeInfo(&mounted)) != 0)
        return rc;
    std::vector<uint8_t> fsBitmap;
    try {
        fsBitmap.assign(mounted.BitmapSize, 0);
    } catch (const std::bad_alloc&) {
        return CheckResult::BitmapNoMemory;
    }
    if (fsBitmap.empty())
        return CheckResult::BitmapNoMemory;
    unsigned long long firstBit = 0;
    uint64_t bits = volume.TotalSectors / volume.SectorsPerCluster;
    // Never ask for more bits than the buffer holds.
    if (bits > static_cast<uint64_t>(fsBitmap.size()) * 8)
        bits = static_cast<uint64_t>(fsBitmap.size()) * 8;
    unsigned long bitCount = static_cast<unsigned long>(bits);
    if ((rc = reader->GetBitMap(fsBitmap.data(), &firstBit, &bitCount)) != 0)
        return rc;
    rc = CompareVolumeBitmaps(fsBitmap.data(), fsBitmap.size(), imageBitmap_.data(), imageBitmap_.size(), bitCount);
    return rc;
}
