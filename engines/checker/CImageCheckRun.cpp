// The check run on the worker thread: the set's version, then each volume's blocks
// file by file, then its bitmap.
#include <cstring>
#include <new>

#include "CImageCheck.h"
#include "CheckProgressMath.h"
#include "CheckResult.h"
#include "VolumeBitmapCompare.h"

namespace {

bool HoldsOffset(const _KS_IMG& file, uint64_t offset)
{
    return offset >= file.Base && offset - file.Base < file.DataLength;
}

bool IsOutsideFile(unsigned long rc)
{
    return KSResultKind(rc) == 0x108;
}

} // namespace

void CImageCheck::CheckThread()
{
    unsigned long rc = CheckCDFull();
    int start = -1;
    if (rc == 0)
        rc = CheckImageVersion(&start);
    for (size_t i = 0; rc == 0 && i < volumes_.size(); ++i) {
        currentItem_ = static_cast<uint16_t>(i);
        progress_.SetCurrentItem(currentItem_);
        progress_.SetItemPercent(0);
        rc = CheckImageVolumn(start, volumes_[i]);
    }
    volumes_.clear();
    progress_.Finish(rc, &busy_);
}

unsigned long CImageCheck::CheckCDFull()
{
    // Nothing to open before a set was loaded: the run was never prepared.
    if (container_ == nullptr || !setLoaded_)
        return CheckResult::RunNotPrepared;
    unsigned long rc = OpenFile(currentFile_);
    if (rc != 0)
        return rc;
    if (!OnDiscSet() || prompt_ == nullptr || fileInfo_.LabelCount == 0) {
        container_->CloseCofran();
        return 0;
    }
    std::vector<_KS_CDINFO> discs(fileInfo_.LabelCount);
    rc = container_->GetBackupCdInfo(discs.data(), fileInfo_.LabelCount);
    container_->CloseCofran();
    if (rc != 0)
        return rc;
    discs_.swap(discs);
    return RebuildFileList();
}

unsigned long CImageCheck::CheckImageVersion(int* startIndex)
{
    if (container_ == nullptr || chosenVersion_ < 0)
        return CheckResult::RunNotPrepared;
    if (files_.empty() || volumes_.empty())
        return CheckResult::RunNothingToCheck;
    unsigned long rc = OnDiscSet() ? 0 : EnsureVersionFiles();
    if (rc != 0)
        return rc;
    int last = -1;
    if (FindVersionLastFile(&last) != 0)
        return CheckResult::RunVersionFileNotListed;
    const _KS_IMG& file = files_[static_cast<size_t>(last)];
    if ((rc = SureNeedCd(file.FileNumber, 0)) != 0)
        return rc;
    if ((rc = OpenFile(file.Path)) != 0)
        return rc;
    rc = container_->CheckCofranVer(&versions_[static_cast<size_t>(chosenVersion_)]);
    if (rc == 0)
        rc = container_->GetCofranInfo(&fileInfo_);
    container_->CloseCofran();
    if (rc != 0)
        return rc;
    *startIndex = last;
    return 0;
}

unsigned long CImageCheck::CheckImageVolumn(int startIndex, const _KS_VOLUME& volume)
{
    progress_.SetStage(KS_STAGE_CHECK_BLOCKS, KS_CHECK_STATE_ITEM);
    unsigned long rc = ReadVolumeBlocks(startIndex, volume);
    if (rc != 0)
        return rc;
    progress_.SetStage(KS_STAGE_CHECK_BITMAP, KS_CHECK_STATE_ITEM);
    const bool knownFileSystem =
        volume.FileSystem == KS_FS_FAT16 || volume.FileSystem == KS_FS_FAT32 || volume.FileSystem == KS_FS_NTFS;
    if (knownFileSystem && (volume.Flags & KS_VOLFLAG_NO_FS_READER) == 0) {
        if ((rc = VolumnBitmapCompare(volume)) != 0)
            return rc;
    }
    if ((volume.Flags & KS_VOLFLAG_ALL_SECTORS) != 0 && !ImageBitmapIsFull(imageBitmap_.data(), imageBitmap_.size()))
        return CheckResult::AllSectorsBitmapNotFull;
    const uint32_t total = static_cast<uint32_t>(volumes_.size());
    progress_.SetPercents(100, CheckProgressMath::OverallAfterVolume(currentItem_, total));
    return 0;
}

void CImageCheck::ReportBlocks(uint64_t done, uint64_t units)
{
    const uint32_t item = CheckProgressMath::BlocksItemPercent(done, units);
    progress_.SetPercents(item,
                          CheckProgressMath::OverallPercent(currentItem_, static_cast<uint32_t>(volumes_.size()), item));
}

unsigned long CImageCheck::FindVolumeFile(int startIndex, const _KS_VOLUME& volume, int* index) const
{
    for (size_t i = startIndex < 0 ? 0 : static_cast<size_t>(startIndex); i < files_.size(); ++i)
        if (HoldsOffset(files_[i], volume.RunIndexOffset)) {
            *index = static_cast<int>(i);
            return 0;
        }
    return CheckResult::VolumeFileNotFound;
}

unsigned long CImageCheck::ReadVolumeBlocks(int startIndex, const _KS_VOLUME& volume)
{
    // A fresh, zeroed bitmap per volume: the container only sets bits, so bits left
    // from an earlier volume would hide clusters missing from this one.
    try {
        imageBitmap_.assign(volume.BitmapSize, 0);
    } catch (const std::bad_alloc&) {
        return CheckResult::BlocksNoMemory;
    }
    const uint64_t sectors = (volume.Flags & KS_VOLFLAG_ALL_SECTORS) != 0 ? volume.TotalSectors : volume.UsedSectors;
    const uint64_t units = sectors / volume.SectorsPerCluster;
    if (units == 0)
        return CheckResult::BlocksNoUnits;
    uint64_t done = 0;
    unsigned long rc = 0;
    if (OnDiscSet() && !HasDiscRecords()) {
        rc = ReadDiscBlocks(volume, units, &done);
    } else {
        int index = -1;
        if ((rc = FindVolumeFile(startIndex, volume, &index)) != 0)
            return rc;
        for (size_t i = static_cast<size_t>(index); i < files_.size(); ++i) {
            const _KS_IMG& file = files_[i];
            if ((rc = SureNeedCd(file.FileNumber, 0)) != 0)
                return rc;
            if ((rc = OpenFile(file.Path)) != 0)
                return rc;
            rc = ReadFileBlocks(volume, file.VersionIndex == fileInfo_.LastVersion, units, &done,
                                CheckResult::BlocksCancelled);
            if (!IsOutsideFile(rc))
                break;
        }
    }
    if (IsOutsideFile(rc))
        rc = 0;
    if (rc != 0)
        return rc;
    const uint32_t total = static_cast<uint32_t>(volumes_.size());
    progress_.SetPercents(95, CheckProgressMath::OverallAfterBlocks(currentItem_, total));
    return 0;
}

// Reads every block of the volume that lies in the open file and closes the file.
// Returns 0 when the volume has nothing in this file (it is done), kind 0x108 when
// the volume goes on in the file before this one, or the failure.
unsigned long CImageCheck::ReadFileBlocks(const _KS_VOLUME& volume, bool loadBitmap, uint64_t units, uint64_t* done,
                                          unsigned long cancelCode)
{
    unsigned long rc = 0;
    if (loadBitmap) {
        _KS_VOLUME copy = volume;
        rc = container_->GetVolumeBitmap(&copy, imageBitmap_.data(), static_cast<unsigned long>(imageBitmap_.size()));
        if (rc != 0 && !IsOutsideFile(rc)) {
            container_->CloseCofran();
            return rc;
        }
    }
    _KS_VOLUME copy = volume;
    rc = container_->OpenVolume(&copy);
    if (rc != 0) {
        container_->CloseCofran();
        return IsOutsideFile(rc) ? 0 : rc;
    }
    rc = container_->CheckVolume();
    if (rc == 0 && makeImage_ != nullptr) {
        rc = CheckFileBlocks(volume, units, done, cancelCode);
    } else if (rc == 0) {
        _KS_BLOCK block;
        while ((rc = container_->CheckNextBlock(&block)) == 0) {
            *done += KSBlockClusters(block);
            ReportBlocks(*done, units);
            if (progress_.Cancelled()) {
                rc = cancelCode;
                break;
            }
        }
    }
    container_->CloseVolume();
    container_->CloseCofran();
    return rc;
}

unsigned long CImageCheck::CheckFileBlocks(const _KS_VOLUME& volume, uint64_t units, uint64_t* done,
                                           unsigned long cancelCode)
{
    CheckBlockWorkers::Opening opening;
    opening.make = makeImage_;
    opening.path = openedFile_;
    opening.mode = openMode_ | KS_OPEN_SEQUENTIAL_ALT;
    opening.password = PasswordOrNull();
    opening.passwordBytes = PasswordBytes();
    opening.volume = volume;
    // A disc set's files come and go with the disc in the drive, and only this
    // object may ask for one: its blocks are checked here.
    const unsigned count = OnDiscSet() ? 0 : CheckBlockWorkers::CountFromEnvironment();
    CheckBlockWorkers workers;
    unsigned long rc = workers.Start(opening, count, container_);
    unsigned long walk = 0; // the walk's own end or failure, reported after the blocks before it
    while (rc == 0) {
        while (walk == 0 && workers.HasRoom()) {
            _KS_BLOCK next;
            if ((walk = container_->GetNextBlockInfo(&next, 0)) == 0 && (walk = workers.Queue(next)) != 0)
                break;
        }
        if (!workers.HasPending()) {
            rc = walk;
            break;
        }
        _KS_BLOCK block;
        if ((rc = workers.TakeOldest(&block)) != 0)
            break;
        *done += KSBlockClusters(block);
        ReportBlocks(*done, units);
        if (progress_.Cancelled())
            rc = cancelCode;
    }
    workers.Stop();
    return rc;
}

// A disc set without disc records: the files are found by name and asked for one by
// one, from the file that holds the volume's run index down to the first file.
unsigned long CImageCheck::ReadDiscBlocks(const _KS_VOLUME& volume, uint64_t units, uint64_t* done)
{
    wchar_t name[KS_PATH_CHARS] = {};
    uint32_t number = 0;
    unsigned long rc = LocateDiscFileForOffset(volume.RunIndexOffset, name, &number);
    for (;;) {
        if (rc != 0)
            return rc;
        if ((rc = OpenFile(name)) != 0)
            return rc;
        _KS_IMG_FILE_INFO info;
        if ((rc = container_->GetCofranInfo(&info)) != 0) {
            container_->CloseCofran();
            return rc;
        }
        rc = ReadFileBlocks(volume, info.LastVersion == fileInfo_.LastVersion, units, done,
                            CheckResult::DiscBlocksCancelled);
        if (!IsOutsideFile(rc) || number == 0)
            return rc;
        --number;
        rc = container_->GetCofranNameFromCofranNo(versions_.data(), static_cast<unsigned long>(versions_.size()),
                                                   names_.data(), static_cast<unsigned long>(names_.size()), number,
                                                   name, KS_PATH_CHARS);
        // The file is opened where the container found it, which need not be the
        // name the set's naming rule gives.
        while (rc == 0 && !IsImgInCurCD(number, name)) {
            rc = PromptForFile(name);
            if (rc == 0 && progress_.Cancelled())
                rc = CheckResult::DiscBlocksCancelled;
        }
    }
}

unsigned long CImageCheck::LocateDiscFileForOffset(uint64_t offset, wchar_t* out, uint32_t* fileNumber)
{
    unsigned long number = 0;
    unsigned long rc = container_->GetCofranNameFromOffset(versions_.data(), static_cast<unsigned long>(versions_.size()),
                                                           names_.data(), static_cast<unsigned long>(names_.size()),
                                                           offset, out, KS_PATH_CHARS, &number);
    if (rc != 0)
        return rc;
    *fileNumber = static_cast<uint32_t>(number);
    while (!IsImgInCurCD(*fileNumber, out)) {
        if ((rc = PromptForFile(out)) != 0)
            return rc;
        if (progress_.Cancelled())
            return CheckResult::DiscBlocksCancelled;
    }
    return 0;
}
