// A clone by file system: the live source partition is read through the backup
// module's per-volume reader and handed with its used-cluster bitmap to the copier
// of its file system, which fits the volume to the target partition (equal, larger
// or smaller). A volume that does not fit fails before the partition is written.
#include "CDriverDevice.h"
#include "CLogWriter.h"
#include "CVolumeRestorer.h"
#include "KSResult.h"
#include "LiveVolumeBitmap.h"
#include "RestoreKinds.h"

using namespace restore_kinds;

unsigned long CVolumeRestorer::CloneByFileSystem(const _KS_RESTORE_TARGET& source, const _KS_RESTORE_TARGET& target)
{
    CRestoreProgress& progress = engine_.Progress();
    progress.liveRefresh = 0;
    const long index = engine_.Services().livePartitionIndex != nullptr
                           ? engine_.Services().livePartitionIndex(source.DiskNumber, source.FirstSector)
                           : -1;
    if (index < 0) {
        CLogWriter::Log("The clone's source partition is not found.");
        return KS_RESULT(KS_MODULE_RESTORE, kNotFound);
    }
    // The reader needs the disk and the partition alone.
    uint32_t item[19] = {};
    item[16] = source.DiskNumber;
    item[17] = static_cast<uint32_t>(index);
    CDriverDevice device(item, engine_, 0);
    if (device.Open() == 0)
        return device.LastResult();
    const _KS_VOLUME* volume = device.Volume();
    if (volume == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
    const unsigned fileSystem = volume->FileSystem;
    if (fileSystem != KS_FS_NTFS && fileSystem != KS_FS_FAT16 && fileSystem != KS_FS_FAT32)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    std::vector<uint8_t> bitmap;
    const unsigned long result = ReadLiveVolumeBitmap(device, *volume, bitmap);
    if (result != 0) {
        CLogWriter::Log("The used clusters of the clone's source could not be read.");
        return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
    }
    if (progress.cancel.load() != 0)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_CANCELLED);
    const uint64_t dataStart = uint64_t(volume->ReservedSectors) +
                               uint64_t(volume->SectorsPerFat) * volume->NumberOfFats + volume->RootDirSectors;
    const KSVolumeSource live{&device, bitmap.data(), bitmap.size(), volume->SectorsPerCluster, dataStart,
                              volume->TotalSectors};
    return RunCopier(live, fileSystem, target);
}
