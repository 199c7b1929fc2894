#include "CVolumeItem.h"

#include <algorithm>
#include <windows.h>

#include <cwctype>
#include <new>

#include "BackupKinds.h"
#include "BackupTrace.h"
#include "ICensa.h"
#include "IKSDevIO.h"
#include "IKSQuelm.h"
#include "KSResult.h"
#include "TextForms.h"

using namespace backup_kinds;

CVolumeItem::CVolumeItem(const KSVolumeServices& services) : services_(services) {}

CVolumeItem::~CVolumeItem()
{
    if (snapshot_ != nullptr) {
        snapshot_->Close();
        snapshot_->Release();
    }
    if (device_ != nullptr)
        device_->Release();
    if (fsReader_ != nullptr)
        fsReader_->Release();
    DebugPrint("Read time %llu.\n", static_cast<unsigned long long>(readTimeMs_));
}

unsigned long CVolumeItem::Fail(unsigned long code)
{
    last_ = code;
    return code;
}

unsigned long CVolumeItem::Release()
{
    delete this;
    return 0;
}

unsigned long CVolumeItem::GetCancel() { return stop_.load(); }

unsigned long CVolumeItem::SetCancel(unsigned long flag)
{
    stop_.store(flag);
    return 0;
}

_KS_VOLUME* CVolumeItem::GetVolumeInfo() { return &volume_; }

unsigned long CVolumeItem::InitVolume(_KS_VOLUME_ITEM item, const wchar_t* tempFolder)
{
    return InitVolume(item, tempFolder, nullptr, nullptr, nullptr, nullptr, 0, 0);
}

// The letter of a folder's drive when its root is a real drive; 0 otherwise.
wchar_t CVolumeItem::LetterOfFolder(const std::wstring& folder) const
{
    if (folder.empty())
        return 0;
    std::wstring root = folder;
    if (root.back() != L'\\')
        root.push_back(L'\\');
    const UINT type = GetDriveTypeW(root.c_str());
    if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR)
        return 0;
    const size_t colon = folder.find(L':');
    return colon == std::wstring::npos || colon == 0 ? 0 : folder[colon - 1];
}

unsigned long CVolumeItem::InitVolume(_KS_VOLUME_ITEM item, const wchar_t* tempFolder, const wchar_t* imagePath,
                                      KS_VOLUME_WRITE_CALLBACK write, KS_VOLUME_PROGRESS_CALLBACK progress,
                                      void* context, unsigned long sectorBySector, unsigned long checkDiskError)
{
    tempFolder_ = tempFolder != nullptr ? tempFolder : L"";
    imagePath_ = imagePath != nullptr ? imagePath : L"";
    write_ = write;
    progress_ = progress;
    context_ = context;
    checkDiskError_ = checkDiskError;
    sectorBySector_ = (sectorBySector != 0 || checkDiskError != 0) ? 1 : 0;
    diskNumber_ = item.DiskNumber;
    partitionNumber_ = item.PartitionNumber;
    DebugPrint("Init Volume:");
    DebugPrint("Temp folder \"%s\"", NarrowText(tempFolder_).c_str());
    DebugPrint("Image path \"%s\"", NarrowText(imagePath_).c_str());
    DebugPrint("bSecBySec %lu, bChkdskErr %lu.", sectorBySector_, checkDiskError_);

    censa_ = services_.createCensa != nullptr ? services_.createCensa() : nullptr;
    if (censa_ == nullptr)
        return Fail(KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kNotReady)));
    DebugPrint("Query information of disk %lu.", diskNumber_);
    disk_ = _KS_DISK_INFO{};
    unsigned long rc = censa_->GetDiskInfo(diskNumber_, &disk_);
    if (KSFailed(rc))
        return Fail(KS_TRACE(rc));
    DebugPrint("Disk %lu: dynamic %u, baddisk %u, total sectors %llu, cylinder %llu, heads %u, secpertrack %u, "
               "secsize %u.",
               diskNumber_, disk_.Dynamic, disk_.BadDisk, static_cast<unsigned long long>(disk_.TotalSectors),
               static_cast<unsigned long long>(disk_.Cylinders), disk_.TracksPerCylinder, disk_.SectorsPerTrack,
               disk_.BytesPerSector);
    if (disk_.BadDisk != 0 || disk_.DiskType == 0 || disk_.DiskType == 1)
        return Fail(KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_WRONG_OBJECT)));

    DebugPrint("Query information of partition %lu.", partitionNumber_);
    unsigned long long hidden = 0;
    rc = censa_->GetPartitionInfo(diskNumber_, partitionNumber_, &partition_, &hidden);
    if (KSFailed(rc))
        return Fail(KS_TRACE(rc));
    hiddenSectors_ = hidden;
    // The enumeration lists the free stretches of a disk among its partitions: they
    // hold no volume, and a set made of one would claim a partition that is not there.
    if (partition_.PartitionType == 0)
        return Fail(KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT)));
    DebugPrint("Partition %lu: type 0x%X primary %u, letter %c, hidden %llu, start %llu, total %llu, used %llu, "
               "clustersize %u.",
               partitionNumber_, partition_.PartitionType, partition_.Primary,
               partition_.DriveLetter != 0 ? partition_.DriveLetter : ' ', hidden,
               static_cast<unsigned long long>(partition_.StartSector),
               static_cast<unsigned long long>(partition_.SectorCount),
               static_cast<unsigned long long>(partition_.UsedSectors), partition_.SectorsPerCluster);

    void* object = nullptr;
    rc = services_.createDevIO(KS_DEVIO_VERSION, KS_DEVIO_KIND, &object);
    if (KSFailed(rc))
        return Fail(KS_TRACE(rc));
    device_ = static_cast<IKSDevIO*>(object);
    rc = device_->Open(censa_->GetDiskPath(diskNumber_).c_str());
    if (KSFailed(rc))
        return Fail(KS_TRACE(rc));
    return Fail(OpenSnapshot());
}

unsigned long CVolumeItem::OpenSnapshot()
{
    const char letter = partition_.DriveLetter;
    if (!std::isalpha(static_cast<unsigned char>(letter)) || partition_.FileSystemType == 7)
        return 0;
    void* object = nullptr;
    unsigned long rc = services_.createQuelm(KS_QUELM_VERSION, KS_QUELM_KIND, &object);
    if (KSFailed(rc))
        return KS_TRACE(rc);
    snapshot_ = static_cast<IKSQuelm*>(object);
    if (!tempFolder_.empty()) {
        tempLetter_ = LetterOfFolder(tempFolder_);
    } else {
        wchar_t temp[MAX_PATH + 1] = {};
        if (GetTempPathW(MAX_PATH, temp) != 0)
            tempLetter_ = temp[0];
    }
    const size_t cut = imagePath_.find_last_of(L"\\/");
    imageLetter_ = LetterOfFolder(cut == std::wstring::npos ? imagePath_ : imagePath_.substr(0, cut));
    const wchar_t mine = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(letter)));
    const bool holdsOurFiles = mine == static_cast<wchar_t>(std::towupper(static_cast<wint_t>(tempLetter_))) ||
                               mine == static_cast<wchar_t>(std::towupper(static_cast<wint_t>(imageLetter_)));
    if (sectorBySector_ != 0 && holdsOurFiles)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kLiveVolumeHoldsImage));
    const wchar_t name[3] = {static_cast<wchar_t>(letter), L':', 0};
    rc = snapshot_->Open(name, tempFolder_.c_str());
    if (KSFailed(rc)) {
        DebugPrint("Snapshot of %c: not available (0x%lX); reading the volume as it is.", letter, rc);
        snapshot_->Release();
        snapshot_ = nullptr;
    }
    return 0;
}

unsigned long CVolumeItem::ReadSectors(unsigned long long firstSector, unsigned long count, void* buffer)
{
    return ReadVolumeSectors(firstSector, count, buffer, 0);
}

unsigned long CVolumeItem::CallBack(unsigned long long firstSector, unsigned long count, void* buffer,
                                    unsigned long mode)
{
    if (write_ == nullptr)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kNotReady));
    return write_(context_, firstSector, count, buffer, mode);
}

unsigned long CVolumeItem::ReadRaw(uint64_t diskSector, unsigned long count, void* buffer)
{
    if (device_ == nullptr)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kNotReady));
    return device_->Read(static_cast<unsigned long>(diskSector & 0xFFFFFFFFu),
                         static_cast<unsigned long>(diskSector >> 32), count, buffer);
}

unsigned long CVolumeItem::ReadVolumeSectors(unsigned long long firstSector, unsigned long count, void* buffer,
                                             unsigned long mode)
{
    if (buffer == nullptr)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    // Never past the partition: the next partition's sectors are not this volume's.
    if (firstSector > partition_.SectorCount || count > partition_.SectorCount - firstSector)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    const DWORD started = GetTickCount();
    unsigned long rc;
    if (snapshotReads_.load() && snapshot_ != nullptr) {
        // The snapshot serves the volume's sectors as they were at its start; only
        // what lies past the volume (the partition's last sectors) is read from the disk.
        const uint64_t inside = firstSector < volumeLength_ ? std::min<uint64_t>(count, volumeLength_ - firstSector) : 0;
        rc = 0;
        if (inside != 0)
            rc = snapshot_->ReadSnapshot(firstSector, static_cast<unsigned long>(inside), buffer,
                                         static_cast<unsigned char>(mode));
        if (KSSucceeded(rc) && inside < count)
            rc = ReadRaw(partition_.StartSector + firstSector + inside, static_cast<unsigned long>(count - inside),
                         static_cast<unsigned char*>(buffer) + inside * (volume_.BytesPerSector != 0 ? volume_.BytesPerSector : 512));
    } else if (snapshot_ != nullptr && std::isalpha(static_cast<unsigned char>(partition_.DriveLetter)) &&
               partition_.FileSystemType != 7) {
        rc = snapshot_->ReadSectors(firstSector, count, buffer);
    } else {
        rc = ReadRaw(partition_.StartSector + firstSector, count, buffer);
    }
    readTimeMs_ += static_cast<DWORD>(GetTickCount() - started);
    return rc;
}

unsigned long CVolumeItem::FsReadCallback(void* context, unsigned long long firstSector, unsigned long count,
                                          void* buffer)
{
    return static_cast<CVolumeItem*>(context)->ReadSectors(firstSector, count, buffer);
}

unsigned long CVolumeItem::FsWriteCallback(void* context, unsigned long long firstSector, unsigned long count,
                                           void* buffer, unsigned long mode)
{
    return static_cast<CVolumeItem*>(context)->CallBack(firstSector, count, buffer, mode);
}

unsigned long CVolumeItem::Report(unsigned long state, uint64_t bytes, unsigned long itemPercent)
{
    if (progress_ == nullptr)
        return 0;
    const unsigned long rc = progress_(context_, state, bytes, itemPercent);
    if (KSResultKind(rc) == KS_KIND_CANCELLED)
        stop_.store(1);
    return rc;
}
