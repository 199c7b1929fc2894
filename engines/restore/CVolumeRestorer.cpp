// The restorer's dispatch and the partition restore's set-up: which road an
// operation takes, the set opened once for its tables, the target found and checked.
#include "CVolumeRestorer.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "CLogWriter.h"
#include "CRawDisk.h"
#include "FatLayout.h"
#include "KSResult.h"
#include "LittleEndian.h"
#include "RestoreKinds.h"
#include "RestoreTargetLookup.h"

using namespace restore_kinds;

CVolumeRestorer::CVolumeRestorer(CRestore& engine, uint32_t index)
    : engine_(engine), index_(index), imagePath_(engine.ImagePath()), version_(engine.Version())
{
}

CVolumeRestorer::~CVolumeRestorer()
{
    if (image_ != nullptr)
        image_->Release();
}

unsigned long CVolumeRestorer::Run(const _KS_RESTORE_OPERATION& operation)
{
    const auto* volume = static_cast<const _KS_VOLUME*>(operation.Source);
    const auto* target = static_cast<const _KS_RESTORE_TARGET*>(operation.Target);
    const bool imageSource = volume->Magic == KS_VOLUME_MAGIC;
    if (!imageSource && target->SectorCount != 0)
        return RunClone(*static_cast<const _KS_RESTORE_TARGET*>(operation.Source), *target, operation.Option);
    unsigned long result = OpenSet();
    if (result != 0)
        return result;
    _KS_VOLUME source;
    std::memcpy(&source, volume, sizeof source);
    if (target->SectorCount == 0)
        result = RestoreWholeDisk(*target);
    else
        result = RestoreOntoPartition(source, *target, operation.Option);
    engine_.Notify(KS_RESTORE_MSG_DONE, nullptr);
    return result;
}

unsigned long CVolumeRestorer::OpenSet()
{
    void* object = nullptr;
    // Without its image object the operation cannot run: never "success".
    if (engine_.Services().createImage(0x10000, 1, &object) != 0 || object == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_NO_MEMORY);
    image_ = static_cast<IKSCofran*>(object);
    if (imagePath_.empty())
        return KS_RESULT(KS_MODULE_RESTORE, kNoImage);
    unsigned long result = image_->OpenCofran(imagePath_.c_str(), 0, engine_.Password(), engine_.PasswordBytes());
    if (result != 0)
        return result;
    _KS_IMG_FILE_INFO info{};
    info.Size = sizeof info;
    result = image_->GetCofranInfo(&info);
    if (result == 0) {
        std::memcpy(setId_, info.SetId, sizeof setId_);
        // A chain broken by a file that is not where the set lies is not the end: the
        // walk asks the caller for each file it needs.
        if (info.LabelCount == 0 && KSResultKind(result = image_->CheckCofranVer(&version_)) == kChainBroken)
            result = 0;
    }
    if (result == 0) {
        try {
            versions_.resize(info.VersionCount);
        } catch (const std::bad_alloc&) {
            result = KS_RESULT(KS_MODULE_RESTORE, KS_KIND_NO_MEMORY);
        }
    }
    if (result == 0 && !versions_.empty())
        result = image_->GetBackupVer(versions_.data(), static_cast<unsigned long>(versions_.size()));
    if (result == 0) {
        unsigned long files = 16;
        for (const _KS_VERSION& v : versions_)
            files += v.FileCount;
        names_.resize(files);
        // The name table serves the file requests only; a set without one still restores.
        if (image_->GetBackupImgNameInfo(names_.data(), files) != 0)
            names_.clear();
    }
    image_->CloseCofran();
    return result;
}

unsigned long CVolumeRestorer::RefuseImageDisk(const _KS_RESTORE_TARGET& target, uint64_t start, uint64_t sectors)
{
    IRestoreDisks* disks = engine_.Services().disks;
    if (disks == nullptr)
        return 0;
    std::vector<_KS_IMG> files;
    unsigned long result = image_->OpenCofran(imagePath_.c_str(), 0, engine_.Password(), engine_.PasswordBytes());
    if (result != 0)
        return result;
    result = ListSetFiles(files);
    image_->CloseCofran();
    if (result != 0)
        return result;
    for (const _KS_IMG& file : files) {
        const RestoreFilePlace place = disks->PlaceOfFile(file.Path);
        if (!place.onDisk || place.disk != target.DiskNumber)
            continue;
        const bool wholeDisk = place.sectors == 0 || sectors == 0 || start == 0;
        const bool overlap = start < place.start + place.sectors && place.start < start + sectors;
        if (wholeDisk || overlap) {
            CLogWriter::Log("The target lies where the image is.");
            return KS_RESULT(KS_MODULE_RESTORE, kTargetHoldsImage);
        }
    }
    return 0;
}

unsigned long CVolumeRestorer::RestoreOntoPartition(const _KS_VOLUME& volume, const _KS_RESTORE_TARGET& target,
                                                uint32_t option)
{
    _KS_VOLUME source = volume;
    IRestoreDisks* disks = engine_.Services().disks;
    std::vector<RestorePartition> partitions;
    if (disks == nullptr || !disks->ListPartitions(target.DiskNumber, partitions))
        return KS_RESULT(KS_MODULE_RESTORE, kNotFound);
    if (FindRestoreTarget(partitions, target) < 0)
        return KS_RESULT(KS_MODULE_RESTORE, kNotFound);
    if (source.FileSystem == 0 || (source.FileSystem >= 10 && source.FileSystem <= 254))
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    if (source.BytesPerSector != 512 || source.SectorsPerCluster == 0)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    // An NTFS volume ends one sector before its partition: that sector holds the copy
    // of its boot sector.
    const bool sameSize = target.SectorCount == source.TotalSectors ||
                          (source.FileSystem == KS_FS_NTFS && target.SectorCount == source.TotalSectors + 1);
    // A sector copy never runs past the target.
    if (option != 0 && target.SectorCount < source.TotalSectors)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    newFatSize_ = source.SectorsPerFat;
    targetSectors_ = target.SectorCount;
    unsigned long result = RefuseImageDisk(target, target.FirstSector, target.SectorCount);
    if (result != 0)
        return result;
    if (option == 0 && !sameSize) {
        const bool larger = target.SectorCount > source.TotalSectors;
        const bool fat = source.FileSystem == KS_FS_FAT16 || source.FileSystem == KS_FS_FAT32;
        if (source.FileSystem == KS_FS_NTFS) {
            // A larger partition gets the volume as it is, then grows it; a smaller
            // one gets a copy shrunk before the partition is written.
            if (!larger)
                return CopyByFileSystem(source, target);
            growNtfs_ = true;
        } else if (fat) {
            // A larger FAT volume keeps its clusters when the partition's size calls for
            // the same cluster size: only its FATs grow. Anything else is resized.
            if (!larger || FatClusterSizeFor(source.FileSystem, target.SectorCount) != source.SectorsPerCluster ||
                (source.FileSystem == KS_FS_FAT16 && target.FileSystem == KS_FS_FAT32))
                return CopyByFileSystem(source, target);
            patchBoot_ = true;
            newFatSize_ = FatSizeFor(source, target.SectorCount);
        } else if (!larger) {
            CLogWriter::Log("A volume of this file system restores only onto a partition of its size or larger.");
            return KS_RESULT(KS_MODULE_RESTORE, kNotBuilt);
        }
        // Any other file system (FAT12, one not recognised) onto a larger partition:
        // its sectors as they stand at the partition's start, system area and all.
    }

    CRestoreProgress& progress = engine_.Progress();
    progress.liveRefresh = 1;
    progress.ResetSectorCounter();
    progressTotal_ = (option != 0 || sameSize) ? source.TotalSectors : source.UsedSectors;
    try {
        readBuffer_.resize(kTransferBytes);
        runBuffer_.resize(kTransferBytes);
    } catch (const std::bad_alloc&) {
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_NO_MEMORY);
    }
    uint32_t lastFile = 0;
    if ((result = LocateVolumeFile(source, lastFile)) != 0)
        return result;
    CRawDisk disk;
    char name[64];
    std::snprintf(name, sizeof name, "\\\\.\\PhysicalDrive%u", static_cast<unsigned>(target.DiskNumber));
    if (!disk.Open(name))
        return KS_RESULT(KS_MODULE_RESTORE, kOpenFailed);
    if (progress.cancel.load() != 0)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_CANCELLED);
    engine_.sectorRestore = 1;
    CTargetWriter writer(disk, target.FirstSector, target.SectorCount);
    if (!writer.Begin())
        return KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
    dataStart_ = uint64_t(source.ReservedSectors) + uint64_t(newFatSize_) * source.NumberOfFats + source.RootDirSectors;
    if ((result = WalkVersions(source, writer, lastFile)) != 0)
        return result;
    const bool fat =
        source.FileSystem == KS_FS_FAT12 || source.FileSystem == KS_FS_FAT16 || source.FileSystem == KS_FS_FAT32;
    if (target.PatchHiddenSectors != 0 && writer.HoldsFirstSector() && fat)
        StoreLE32(writer.FirstSector() + 28, static_cast<uint32_t>(target.FirstSector));
    if (patchBoot_ && (result = PatchFatBootArea(source, writer)) != 0)
        return result;
    if ((result = FinishVolume(source, writer)) != 0 || !growNtfs_)
        return result;
    return GrowNtfs(source, target, disk);
}
