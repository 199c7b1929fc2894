// Preparing a volume: the snapshot, the file-system reader, the volume record, the
// used-sector count and the snapshot's block bitmap.
#include "CVolumeItem.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <direct.h>
#include <new>
#include <winioctl.h>

#include "BackupKinds.h"
#include "BackupTrace.h"
#include "ICensa.h"
#include "IKSQuelm.h"
#include "KSResult.h"
#include "TextForms.h"
#include "Vovav.h"

using namespace backup_kinds;

namespace {
constexpr uint64_t kMaxSnapshotBitmapBytes = 0x400000;
constexpr uint32_t kBitmapPieceBits = 0x80000;
constexpr unsigned kFsNone = 7;

uint8_t FileSystemNumber(uint32_t type)
{
    switch (type) {
    case 0: return KS_FS_FAT12;
    case 1: return KS_FS_FAT16;
    case 2: return KS_FS_FAT32;
    case 3: return KS_FS_NTFS;
    case 8: return 7;
    case 9: return 8;
    case 10: return 9;
    default: return KS_FS_OTHER;
    }
}

}

uint32_t ChooseSnapshotBlockSize(uint64_t totalSectors, uint32_t sectorsPerCluster)
{
    uint64_t block = sectorsPerCluster != 0 ? sectorsPerCluster : 128;
    while ((totalSectors / block + 7) / 8 > kMaxSnapshotBitmapBytes)
        block *= 2;
    return static_cast<uint32_t>(block);
}

bool CopyEverySector(uint64_t usedSectors, uint64_t totalSectors)
{
    return usedSectors + usedSectors / 50 > totalSectors;
}

uint64_t CVolumeItem::DataAreaStart() const
{
    return static_cast<uint64_t>(volume_.ReservedSectors) +
           static_cast<uint64_t>(volume_.NumberOfFats) * volume_.SectorsPerFat + volume_.RootDirSectors;
}

uint64_t CVolumeItem::VolumeTotalSectors() const
{
    return volume_.TotalSectors != 0 ? volume_.TotalSectors : partition_.SectorCount;
}

unsigned long CVolumeItem::OpenFileSystemReader(IKSFSSupport** reader)
{
    *reader = nullptr;
    const struct {
        unsigned long (*create)(unsigned long, unsigned long, void**);
        bool ntfs;
    } kinds[] = {{services_.createFsNt, true}, {services_.createFsFat, false}};
    for (const auto& kind : kinds) {
        void* object = nullptr;
        if (kind.create == nullptr || KSFailed(kind.create(1, 4, &object)) || object == nullptr)
            continue;
        IKSFSSupport* candidate = static_cast<IKSFSSupport*>(object);
        if (KSSucceeded(candidate->InitFileSystem(FsReadCallback, FsWriteCallback, this))) {
            const unsigned long fs = candidate->GetFileSystem();
            if ((kind.ntfs && fs == KS_FS_NTFS) || (!kind.ntfs && fs >= KS_FS_FAT12 && fs <= KS_FS_FAT32)) {
                *reader = candidate;
                return 0;
            }
        }
        candidate->Release();
    }
    return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_WRONG_OBJECT));
}

void CVolumeItem::FillRecordByHand()
{
    volume_ = _KS_VOLUME{};
    const uint64_t total = partition_.SectorCount;
    volume_.Magic = KS_VOLUME_MAGIC;
    volume_.Size = KS_VOLUME_SIZE;
    volume_.FileSystem = FileSystemNumber(partition_.FileSystemType);
    volume_.TotalSectors = total;
    volume_.BytesPerSector = 512;
    volume_.SectorsPerCluster = static_cast<uint16_t>(std::min<uint32_t>(blockSize_, 0x8000));
    volume_.BitmapSize = static_cast<uint32_t>((total / blockSize_ + 7) / 8);
    volume_.ReservedSectors = static_cast<uint16_t>(total % blockSize_);
    volume_.UsedSectors = partition_.UsedSectors;
    volume_.Flags = KS_VOLFLAG_NO_FS_READER;
}

unsigned long CVolumeItem::FillPartitionFields()
{
    volume_.PreVolumeSectors = 63;
    const char letter = partition_.DriveLetter;
    volume_.DriveLetter = std::isalpha(static_cast<unsigned char>(letter))
                              ? static_cast<uint8_t>(std::toupper(static_cast<unsigned char>(letter)) - 'A')
                              : 0;
    volume_.DiskNumber = static_cast<uint16_t>(diskNumber_);
    volume_.PartitionNumber = static_cast<uint16_t>(partitionNumber_);
    volume_.PartitionType = partition_.PartitionType;
    volume_.PartitionStartLow = static_cast<uint32_t>(partition_.StartSector);
    volume_.PartitionStart = partition_.StartSector;
    volume_.StartLessHidden = partition_.StartSector - hiddenSectors_;
    volume_.HiddenPlusTotal = hiddenSectors_ + VolumeTotalSectors();
    unsigned long arc[KS_ARC_WORDS] = {3, 0xFFFFFFFFul, 0xFFFFFFFFul, 0xFFFFFFFFul, 0xFFFFFFFFul};
    if (services_.arcInfo != nullptr)
        services_.arcInfo(diskNumber_, partition_.StartSector, arc);
    volume_.ArcNumbers = (arc[0] & 0xFF) | ((arc[2] & 0xFF) << 8) | ((arc[3] & 0xFF) << 16) | ((arc[4] & 0xFF) << 24);
    volume_.DiskSignature = services_.diskSignature != nullptr ? services_.diskSignature(diskNumber_) : 0;
    _KS_DISK_INFO disk{};
    const unsigned long rc = censa_->GetDiskInfo(diskNumber_, &disk);
    if (KSFailed(rc))
        return KS_TRACE(rc);
    volume_.Heads = disk.TracksPerCylinder;
    volume_.SectorsPerTrack = disk.SectorsPerTrack;
    LabelToField(partition_.VolumeLabel, sizeof(partition_.VolumeLabel), volume_.Label, 64);

    uint8_t flags = 0;
    if (partition_.Flags & KS_PART_FLAG_ACTIVE) flags |= KS_VOLFLAG_ACTIVE;
    if (partition_.Flags & KS_PART_FLAG_BOOT_B) flags |= KS_VOLFLAG_PART_BIT2;
    if (partition_.Flags & KS_PART_FLAG_BOOT_A) flags |= KS_VOLFLAG_PART_BIT1;
    if (partition_.Flags & KS_PART_FLAG_HIDDEN_TYPE) flags |= KS_VOLFLAG_HIDDEN;
    if (partition_.DynamicDisk) flags |= KS_VOLFLAG_DYNAMIC;
    if (partition_.Primary) flags |= KS_VOLFLAG_PRIMARY;
    if (fsReader_ == nullptr) flags |= KS_VOLFLAG_NO_FS_READER | KS_VOLFLAG_ALL_SECTORS;
    if (sectorBySector_) flags |= KS_VOLFLAG_ALL_SECTORS;
    volume_.Flags |= flags;
    return 0;
}

unsigned long CVolumeItem::PrepareVolume(unsigned long force)
{
    const char letter = partition_.DriveLetter;
    const bool holdsTemp = std::isalpha(static_cast<unsigned char>(letter)) &&
                           std::toupper(static_cast<unsigned char>(letter)) ==
                               std::toupper(static_cast<int>(tempLetter_));
    if (force != 0) {
        sectorBySector_ = 1;
        checkDiskError_ = 1;
    }
    DebugPrint("bSecBySec %lu, bChkdskErr %lu.\n", sectorBySector_, checkDiskError_);
    Report(KS_VOLUME_STATE_PREPARING, ~0ull, ~0ul);
    if (censa_ == nullptr || device_ == nullptr)
        return Fail(KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kNotReady)));

    blockSize_ = ChooseSnapshotBlockSize(partition_.SectorCount, partition_.SectorsPerCluster);
    unsigned long rc;
    if (snapshot_ != nullptr) {
        if (KSFailed(rc = snapshot_->CreateSnapshot(0, partition_.SectorCount, blockSize_)) ||
            KSFailed(rc = snapshot_->StartSnapshot()) || KSFailed(rc = ReadFromSnapshot()))
            return Fail(KS_TRACE(rc));
    }
    if (checkDiskError_ == 0 && partition_.FileSystemType >= 1 && partition_.FileSystemType <= 3 &&
        fsReader_ == nullptr) {
        rc = OpenFileSystemReader(&fsReader_);
        if (KSFailed(rc))
            DebugPrint("No file-system reader for the volume (0x%lX); copying it whole.", rc);
    }
    if (fsReader_ != nullptr) {
        volume_ = _KS_VOLUME{};
        if (KSFailed(rc = fsReader_->GetVolumeInfo(&volume_)))
            return Fail(KS_TRACE(rc));
        volume_.UsedSectors = GetUsedSectors();
    } else {
        FillRecordByHand();
    }
    if (KSFailed(rc = FillPartitionFields()))
        return Fail(rc);
    if (CopyEverySector(volume_.UsedSectors, VolumeTotalSectors())) {
        volume_.Flags |= KS_VOLFLAG_ALL_SECTORS;
        sectorBySector_ = 1;
    }
    if (holdsTemp && sectorBySector_ != 0)
        return Fail(KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kLiveVolumeHoldsImage)));
    if (snapshot_ != nullptr && KSFailed(rc = PrepareSnapshotBitmap()))
        return Fail(rc);
    return Fail(0);
}

unsigned long CVolumeItem::PrepareSnapshotBitmap()
{
    const uint64_t bytes = volume_.BitmapSize;
    try {
        snapshotBitmap_.assign(static_cast<size_t>(bytes), 0xFF);
    } catch (const std::bad_alloc&) {
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY));
    }
    unsigned long rc;
    if (fsReader_ != nullptr && sectorBySector_ == 0 &&
        KSFailed(rc = BuildSnapshotBitmap(snapshotBitmap_.data(), bytes)))
        return KS_TRACE(rc);
    const KS_QUELM_BITMAP_REGION region = {snapshotBitmap_.data(), static_cast<uint32_t>(DataAreaStart()),
                                           static_cast<uint32_t>(bytes * 8), blockSize_};
    if (KSFailed(rc = snapshot_->SetVolumeBitmap(&region)))
        return KS_TRACE(rc);
    volumeLength_ = OsVolumeLength(volume_.BytesPerSector, VolumeTotalSectors());
    snapshotRunning_.store(true);
    return 0;
}

// Every read from the snapshot's start on gives the volume as it stood then: the
// file-system reader, the volume record and the used-cluster bitmap are built from
// the same moment as the data, so a file deleted meanwhile keeps its clusters in the
// set. The driver delivers snapshot reads through the exchange buffer, registered
// here without a bitmap (the bitmap comes once the file-system reader has built it).
unsigned long CVolumeItem::ReadFromSnapshot()
{
    const unsigned long rc = snapshot_->SetVolumeBitmap(nullptr);
    if (KSFailed(rc))
        return KS_TRACE(rc);
    volumeLength_ = OsVolumeLength(512, partition_.SectorCount);
    snapshotReads_.store(true);
    return 0;
}

// The volume's length as the system reports it, in sectors of the given size; the
// fallback when it cannot be had.
uint64_t CVolumeItem::OsVolumeLength(uint32_t bytesPerSector, uint64_t fallback) const
{
    uint64_t sectors = fallback;
    const wchar_t name[7] = {L'\\', L'\\', L'.', L'\\', static_cast<wchar_t>(partition_.DriveLetter), L':', 0};
    HANDLE volume = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    if (volume != INVALID_HANDLE_VALUE) {
        unsigned char length[8] = {};
        DWORD returned = 0;
        if (DeviceIoControl(volume, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, length, sizeof(length), &returned,
                            nullptr) &&
            bytesPerSector != 0)
            sectors = LoadLE64(length) / bytesPerSector;
        CloseHandle(volume);
    }
    return sectors;
}

uint64_t CVolumeItem::CountBitmapSectors()
{
    std::vector<uint8_t> piece(kBitmapPieceBits / 8);
    const uint64_t bits = static_cast<uint64_t>(volume_.BitmapSize) * 8;
    uint64_t set = 0;
    for (uint64_t first = 0; first < bits; first += kBitmapPieceBits) {
        unsigned long long firstBit = first;
        unsigned long count = static_cast<unsigned long>(std::min<uint64_t>(kBitmapPieceBits, bits - first));
        std::fill(piece.begin(), piece.end(), 0);
        if (KSFailed(fsReader_->GetBitMap(piece.data(), &firstBit, &count)))
            return 0;
        for (unsigned long i = 0; i < count / 8; ++i)
            set += static_cast<unsigned>(__builtin_popcount(piece[i]));
        for (unsigned long i = count & ~7ul; i < count; ++i)
            set += (piece[i >> 3] >> (i & 7)) & 1;
        if (count == 0)
            break;
    }
    return set * volume_.SectorsPerCluster + DataAreaStart();
}

uint64_t CVolumeItem::GetUsedSectors()
{
    if (usedFromBitmap_)
        return usedSectors_;
    if (snapshotRunning_.load())
        return volume_.UsedSectors;
    if (fsReader_ != nullptr && volume_.BitmapSize != 0) {
        usedSectors_ = CountBitmapSectors();
        usedFromBitmap_ = true;
        return usedSectors_;
    }
    const char letter = partition_.DriveLetter;
    if (std::isalpha(static_cast<unsigned char>(letter))) {
        _diskfree_t space{};
        const unsigned drive = static_cast<unsigned>(std::toupper(static_cast<unsigned char>(letter)) - 'A' + 1);
        if (_getdiskfree(drive, &space) == 0) {
            const uint64_t used = (static_cast<uint64_t>(space.total_clusters) - space.avail_clusters) *
                                  space.sectors_per_cluster;
            if (used != 0)
                return used;
        }
    }
    return partition_.UsedSectors;
}

uint64_t CVolumeItem::SectorsToCopy()
{
    if (volume_.Flags & KS_VOLFLAG_ALL_SECTORS)
        return VolumeTotalSectors();
    const uint64_t used = fsReader_ != nullptr ? GetUsedSectors() : volume_.UsedSectors;
    const uint64_t start = DataAreaStart();
    return used > start ? used - start : 0;
}

unsigned long CVolumeItem::BuildSnapshotBitmap(uint8_t* out, uint64_t outBytes)
{
    if (fsReader_ == nullptr)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kNotReady));
    const uint32_t spc = volume_.SectorsPerCluster;
    if (out == nullptr || spc == 0 || blockSize_ == 0 || blockSize_ % spc != 0)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    std::vector<uint8_t> work;
    try {
        work.assign(kBitmapPieceBits / 8, 0);
    } catch (const std::bad_alloc&) {
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY));
    }
    std::memset(out, 0, static_cast<size_t>(outBytes));
    const uint64_t total = VolumeTotalSectors();
    const uint64_t start = DataAreaStart();
    const uint64_t clusters = total > start ? (total - start) / spc : 0;
    const uint64_t clustersPerBlock = blockSize_ / spc;
    for (uint64_t first = 0; first < clusters; first += kBitmapPieceBits) {
        unsigned long long firstBit = first;
        unsigned long count = static_cast<unsigned long>(std::min<uint64_t>(kBitmapPieceBits, clusters - first));
        std::fill(work.begin(), work.end(), 0);
        const unsigned long rc = fsReader_->GetBitMap(work.data(), &firstBit, &count);
        if (KSFailed(rc))
            return KS_TRACE(rc);
        for (unsigned long byte = 0; byte < (count + 7) / 8; ++byte) {
            if (work[byte] == 0)
                continue;
            for (unsigned bit = 0; bit < 8 && byte * 8 + bit < count; ++bit) {
                if (!((work[byte] >> bit) & 1))
                    continue;
                const uint64_t block = (first + byte * 8 + bit) / clustersPerBlock;
                if (block / 8 < outBytes)
                    out[block / 8] |= static_cast<uint8_t>(1u << (block % 8));
            }
        }
        if (count == 0)
            break;
    }
    return 0;
}
