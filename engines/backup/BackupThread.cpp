// The worker: readers for every item, the image set opened and begun, each volume
// copied, the set ended and closed; a failed run leaves no file behind.
#include "IBackup.h"

#include <cwchar>
#include <new>
#if defined(_WIN32)
#include <time.h>
#else
#include <KSCrtTime.h>
#endif

#include "BackupKinds.h"
#include "BackupTrace.h"
#include "CompressionWorkerCount.h"
#include "CVolumeItem.h"
#include "KSResult.h"
#include "TextForms.h"

using namespace backup_kinds;

unsigned long IBackup::CreateReaders()
{
    uint64_t totalBytes = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        CVolumeItem* reader = new (std::nothrow) CVolumeItem(services_);
        if (reader == nullptr)
            return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY));
        {
            std::lock_guard<std::mutex> hold(readersLock_);
            readers_.push_back(reader);
        }
        const std::wstring image = KSWideFromField(options_.ImagePath, KS_BACKUP_PATH_CHARS);
        const unsigned long rc =
            reader->InitVolume(items_[i], tempFolder_.c_str(), image.c_str(), WriteToImage, OnReaderProgress, this,
                               options_.SectorBySector, items_[i].CheckDiskError);
        if (KSFailed(rc))
            return KS_TRACE(rc);
        const bool all = options_.SectorBySector != 0 || items_[i].CheckDiskError != 0;
        totalBytes += reader->EstimatedSectors(all) * 512;
    }
    progress_.SetTotalBytes(totalBytes);
    return 0;
}

unsigned long IBackup::BeginBackupMode() const
{
    // The writer knows uses 0 to 2: a reopened set appends like any other (use 2).
    const unsigned long use = (setFlags_ & KS_SET_REOPENED) ? 2 : (setFlags_ & KS_SET_APPEND);
    // The writer's worker threads ride in the mode's bits 16-23.
    const unsigned long workers = backup_workers::FromEnvironment() << KS_BEGIN_WORKERS_SHIFT;
    return (setFlags_ & ~0x0Ful) | use | (workers & KS_BEGIN_WORKERS_MASK);
}

unsigned long IBackup::OpenImage()
{
    unsigned long rc;
    if (KSFailed(rc = PrepareImagePath(workPath_)))
        return KS_TRACE(rc);
    if (KSFailed(rc = PrepareDisc()))
        return KS_TRACE(rc);
    wchar_t found[KS_BACKUP_PATH_CHARS] = {};
    if (KSSucceeded(image_->SearchLastCofran(workPath_.c_str(), found, KS_BACKUP_PATH_CHARS, 0)) && found[0] != 0)
        imagePath_ = found;
    else
        imagePath_ = workPath_;
    const std::wstring password = KSWideFromField(options_.Password, KS_BACKUP_PASSWORD_CHARS);
    if (!password.empty())
        setFlags_ |= KS_SET_PASSWORD;
    const unsigned long bytes = static_cast<unsigned long>(password.size() * sizeof(wchar_t));
    rc = image_->OpenCofran(imagePath_.c_str(), (setFlags_ & KS_SET_STORAGE_MASK) | KS_OPEN_BACKUP,
                            password.c_str(), bytes);
    if (KSFailed(rc))
        return KS_TRACE(rc);
    if (setMode_ == 1) {
        setFlags_ |= KS_SET_APPEND;
    } else if (setMode_ == 2) {
        setFlags_ |= KS_SET_REOPENED;
        _KS_IMG_FILE_INFO info{};
        _KS_VERSION version{};
        unsigned long count = 0;
        image_->GetCofranInfo(&info);
        image_->GetBackupVer(&version, 0);
        image_->GetBackupImg(nullptr, &count);
        rc = image_->OpenCofran(imagePath_.c_str(), KS_OPEN_BACKUP, password.c_str(), bytes);
        if (KSFailed(rc))
            return KS_TRACE(rc);
        setFlags_ |= KS_SET_APPEND;
    }
    return 0;
}

unsigned long IBackup::BeginFirstFile()
{
    wchar_t name[KS_BACKUP_PATH_CHARS] = {};
    std::wcsncpy(name, imagePath_.c_str(), KS_BACKUP_PATH_CHARS - 1);
    unsigned long rc = image_->GetAvailableCofranName(name, KS_BACKUP_PATH_CHARS);
    if (KSFailed(rc))
        return KS_TRACE(rc);
    unsigned long split = 0;
    if (KSFailed(rc = GetSplitSize(split)))
        return KS_TRACE(rc);
    std::lock_guard<std::mutex> hold(writeLock_);
    imagePath_ = name;
    written_.clear();
    written_.push_back(imagePath_);
    const std::wstring comment = KSWideFromField(options_.Comment, KS_BACKUP_COMMENT_CHARS);
    rc = image_->BeginBackup(imagePath_.c_str(), BeginBackupMode(),
                             filters_.empty() ? nullptr : reinterpret_cast<_KS_FILTERS_HEAD*>(filters_.data()),
                             comment.c_str(), options_.CompressLevel, split);
    DebugPrint("BeginBackup image file \"%s\".", NarrowText(imagePath_).c_str());
    return KS_TRACE(rc);
}

unsigned long IBackup::BackupItem(size_t index)
{
    if (cancel_.load() != 0)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_CANCELLED));
    DebugPrint("Current volume item %llu.", static_cast<unsigned long long>(index + 1));
    progress_.SetItem(static_cast<uint16_t>(index + 1));
    CVolumeItem* reader;
    {
        std::lock_guard<std::mutex> hold(readersLock_);
        reader = current_ = readers_[index];
    }
    unsigned long rc;
    if (KSFailed(rc = reader->PrepareVolume(0)))
        return KS_TRACE(rc);
    {
        std::unique_lock<std::mutex> hold(writeLock_);
        rc = image_->WriteVolumeInfo(reader->GetVolumeInfo(), KS_VOLUME_SIZE);
        // Blocks of the volume before, still being compressed, may meet a full
        // target only here: the same answer as for any write.
        while (KSResultKind(rc) == KS_KIND_TARGET_FULL) {
            const std::wstring path = imagePath_;
            hold.unlock();
            const unsigned long answer = AskForDisc(KS_BACKUP_MSG_TARGET_FULL, path.c_str());
            hold.lock();
            if (answer != 0) {
                rc = answer;
                break;
            }
            rc = image_->WriteVolumeInfo(reader->GetVolumeInfo(), KS_VOLUME_SIZE);
        }
        sectorsPerCluster_ = reader->GetVolumeInfo()->SectorsPerCluster;
        dataAreaStart_ = reader->DataAreaStart();
    }
    if (KSFailed(rc))
        return KS_TRACE(rc);
    if (KSFailed(rc = reader->BackupPreviousSectors()))
        return KS_TRACE(rc);
    if (cancel_.load() != 0)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_CANCELLED));
    if (KSFailed(rc = reader->BackupFileSystemData(
                     filters_.empty() ? nullptr : reinterpret_cast<_KS_FILTERS_HEAD*>(filters_.data()))))
        return KS_TRACE(rc);
    if (KSFailed(rc = reader->BackupByBitmap()))
        return KS_TRACE(rc);
    reader->CloseSnapshot();
    return 0;
}

unsigned long IBackup::EndImage(unsigned long runResult)
{
    unsigned long rc = runResult;
    if (KSFailed(runResult)) {
        std::lock_guard<std::mutex> hold(writeLock_);
        image_->EndBackup(0);
    } else {
        for (;;) {
            unsigned long end;
            {
                std::lock_guard<std::mutex> hold(writeLock_);
                end = image_->EndBackup(0);
            }
            if (KSResultKind(end) != KS_KIND_TARGET_FULL) {
                rc = KS_TRACE(end);
                break;
            }
            const unsigned long answer = AskForDisc(KS_BACKUP_MSG_TARGET_FULL, nullptr);
            if (answer != 0) {
                rc = KS_TRACE(answer);
                break;
            }
        }
    }
    if (KSSucceeded(rc) && options_.StorageType == KS_STORAGE_DISC) {
        const size_t cut = imagePath_.find_last_of(L"\\/");
        const std::wstring folder = cut == std::wstring::npos ? imagePath_ : imagePath_.substr(0, cut);
        rc = BurnFolder(folder);
        if (KSSucceeded(rc))
            RemoveDirectoryW(folder.c_str());
    }
    const unsigned long closed = image_->CloseCofran();
    if (KSSucceeded(rc) && KSFailed(closed))
        rc = KS_TRACE(closed);
    // A run that did not succeed leaves no file that could pass for a complete set,
    // unless a burn failed: then the staged files are the backup and stay.
    if (KSFailed(rc) && keepStaged_) {
        DebugPrint("Burn failed; the staged image files are kept.");
    } else if (KSFailed(rc)) {
        std::lock_guard<std::mutex> hold(writeLock_);
        for (const std::wstring& file : written_) {
            DebugPrint("Delete image file \"%s\".", NarrowText(file).c_str());
            DeleteFileW(file.c_str());
        }
        written_.clear();
    }
    return rc;
}

unsigned long IBackup::BackupThread()
{
    progress_.SetState(KS_BACKUP_STATE_PREPARING);
    unsigned long rc = CreateReaders();
    void* object = nullptr;
    if (KSSucceeded(rc) && KSFailed(rc = KSCreateObjectImg(1, 1, &object)))
        KS_TRACE(rc);
    image_ = static_cast<IKSCofran*>(object);
    bool begun = false;
    if (KSSucceeded(rc) && KSSucceeded(rc = OpenImage()) && KSSucceeded(rc = BeginFirstFile())) {
        begun = true;
        for (size_t i = 0; i < items_.size() && KSSucceeded(rc); ++i)
            rc = BackupItem(i);
    }
    {
        std::lock_guard<std::mutex> hold(readersLock_);
        current_ = nullptr;
    }
    if (begun)
        rc = EndImage(rc);
    else if (image_ != nullptr)
        image_->CloseCofran();
    {
        std::lock_guard<std::mutex> hold(writeLock_);
        if (image_ != nullptr)
            image_->Release();
        image_ = nullptr;
    }
    DestroyReaders();
    FinishDisc();
    result_ = rc;
    progress_.Finish(rc);
    return rc;
}
