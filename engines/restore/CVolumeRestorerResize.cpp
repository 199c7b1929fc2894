// The roads onto a partition of another size: an NTFS volume grown after it is
// written, and volumes copied by file system (NTFS through Mirrane, FAT through
// "Brasket") from the image device when they do not fit sector by sector or need a
// new FAT layout. The copiers report through the engine's copier progress function.
#include <cstring>
#include <vector>

#include "CImgDevice.h"
#include "CLogWriter.h"
#include "CVolumeRestorer.h"
#include "IBrasketModule.h"
#include "KSResult.h"
#include "RestoreCopierProgress.h"
#include "RestoreKinds.h"

using namespace restore_kinds;

namespace {
constexpr unsigned long kCopierMark = 0xF0000000;
constexpr unsigned long kCopierReadFailed = 2;
constexpr unsigned long kCopierWriteFailed = 3;

// A copier's answer as the operation's result: a cancel is the engine's own, the
// NTFS copier's read and write failures get the engine's kinds, anything else is
// marked as the copier's.
unsigned long CopierResult(unsigned long result, CRestoreProgress& progress, bool ntfsCopy)
{
    if (result == 0)
        return 0;
    if (result == KS_OPERATE_CANCELLED || progress.cancel.load() != 0)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_CANCELLED);
    if (ntfsCopy && result == kCopierReadFailed)
        return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
    if (ntfsCopy && result == kCopierWriteFailed)
        return KS_RESULT(KS_MODULE_RESTORE, kDiskOffline);
    return result | kCopierMark;
}
}

unsigned long CVolumeRestorer::CopyByFileSystem(_KS_VOLUME& source, const _KS_RESTORE_TARGET& target)
{
    // The copiers read the chosen version alone, where a version built on older ones
    // has holes in place of the clusters it did not store again: refused, not copied
    // as zeros.
    for (const _KS_VERSION& v : versions_)
        if (v.Index == version_.Index && (v.Flags & 0xC000) != 0) {
            CLogWriter::Log("A version built on older ones restores only onto a partition of its size.");
            return KS_RESULT(KS_MODULE_RESTORE, kNotBuilt);
        }
    CRestoreProgress& progress = engine_.Progress();
    progress.liveRefresh = 0;
    uint32_t lastFile = 0;
    unsigned long result = LocateVolumeFile(source, lastFile);
    std::vector<uint8_t> bitmap;
    if (result == 0)
        result = ReadSetBitmap(source, lastFile, bitmap);
    if (result != 0)
        return result;
    if (progress.cancel.load() != 0)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_CANCELLED);
    CImgDevice device(&source, image_, imagePath_.c_str(), engine_);
    if (device.Open() == 0)
        return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
    const KSVolumeSource volume{&device, bitmap.data(), bitmap.size(), source.SectorsPerCluster,
                                uint64_t(source.ReservedSectors) + uint64_t(source.SectorsPerFat) * source.NumberOfFats +
                                    source.RootDirSectors,
                                source.TotalSectors};
    result = RunCopier(volume, source.FileSystem, target);
    // A copier knows only that a read failed; the image's own code says why (a
    // damaged block is bad data, not a failing disk).
    if (result != 0 && KSResultKind(result) != KS_KIND_CANCELLED && device.ReadFailure() != 0)
        return device.ReadFailure();
    return result;
}

unsigned long CVolumeRestorer::RunCopier(const KSVolumeSource& volume, unsigned fileSystem,
                                         const _KS_RESTORE_TARGET& target)
{
    CRestoreProgress& progress = engine_.Progress();
    const KSPartitionPlace place{target.DiskNumber, target.FirstSector, target.SectorCount};
    RestoreCopierContext context;
    BeginCopierContext(context, progress);
    engine_.sectorRestore = 1;
    if (fileSystem == KS_FS_NTFS) {
        const unsigned long result = engine_.Services().copyNtfs(&place, &place, RestoreCopierProgress, &context, &volume);
        return CopierResult(result, progress, true);
    }
    if (fileSystem != KS_FS_FAT16 && fileSystem != KS_FS_FAT32)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    IBrasketModule* copier = engine_.Services().openFatCopier != nullptr ? engine_.Services().openFatCopier() : nullptr;
    if (copier == nullptr) {
        CLogWriter::Log("The FAT copier Brasket is missing.");
        return KS_RESULT(KS_MODULE_RESTORE, kModuleMissing);
    }
    const KSFatCopyBlock block{place, place, 0, 0, target.FirstSector, volume.volumeSectors, RestoreCopierProgress,
                               &context};
    return CopierResult(copier->CopyFatVolume(&block, &volume), progress, false);
}

unsigned long CVolumeRestorer::GrowNtfs(const _KS_VOLUME& source, const _KS_RESTORE_TARGET& target, CRawDisk& disk)
{
    CRestoreProgress& progress = engine_.Progress();
    progress.liveRefresh = 0;
    const KSPartitionPlace place{target.DiskNumber, target.FirstSector, target.SectorCount};
    RestoreCopierContext context;
    BeginCopierContext(context, progress);
    const auto first = static_cast<long long>(target.FirstSector);
    unsigned long result = engine_.Services().resizeNtfs(&place, first, first, static_cast<long long>(target.SectorCount),
                                                         source.PartitionStartLow, RestoreCopierProgress, &context);
    unsigned char boot[512] = {};
    if (result != 0) {
        // The volume was never grown: its first sector is blanked, as after any failure.
        disk.Write(boot, target.FirstSector, 1);
        return CopierResult(result, progress, false);
    }
    // The copy of the boot sector in the partition's last sector, as Windows keeps it.
    if (!disk.Read(boot, target.FirstSector, 1) || !disk.Write(boot, target.FirstSector + target.SectorCount - 1, 1))
        return KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
    return 0;
}
