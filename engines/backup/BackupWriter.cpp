// The readers' write path into the image set: one container write at a time, a full
// file continued in the next one under the same lock, a full target retried when the
// caller says so. Also the readers' progress reports and the caller's messages.
#include "IBackup.h"

#include <cwchar>
#if defined(_WIN32)
#include <time.h>
#else
#include <KSCrtTime.h>
#endif

#include "BackupKinds.h"
#include "BackupTrace.h"
#include "CVolumeItem.h"
#include "IKSVolume.h"
#include "KSResult.h"
#include "TextForms.h"

using namespace backup_kinds;

namespace {
constexpr unsigned long kRefused = 1;

// The reader's preserved-block callback detached for a scope. Detaching waits for a
// callback in flight, which may need the write lock, so the pause is never made with
// it held; attaching again may be, since no callback runs while detached.
class PausedUrgentBlocks {
public:
    explicit PausedUrgentBlocks(CVolumeItem* reader) : reader_(reader)
    {
        if (reader_ != nullptr)
            reader_->PauseUrgentBlocks();
    }
    ~PausedUrgentBlocks()
    {
        if (reader_ != nullptr)
            reader_->ResumeUrgentBlocks();
    }
    PausedUrgentBlocks(const PausedUrgentBlocks&) = delete;
    PausedUrgentBlocks& operator=(const PausedUrgentBlocks&) = delete;

private:
    CVolumeItem* const reader_;
};
}

// Called with writeLock_ held.
unsigned long IBackup::WriteOnce(uint64_t firstSector, unsigned long count, void* buffer, unsigned long mode)
{
    if (image_ == nullptr || imagePath_.empty() || sectorsPerCluster_ == 0)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kNotReady));
    if ((mode & KS_VOLUME_WRITE_MODE_MASK) == 0) {
        const unsigned long cluster = static_cast<unsigned long>((firstSector - dataAreaStart_) / sectorsPerCluster_);
        return image_->WriteData(cluster, buffer, count / sectorsPerCluster_, ~0ull);
    }
    return image_->WriteSector(static_cast<int>(static_cast<int64_t>(firstSector)), buffer, count, 0);
}

// Continues the set in its next file. Called with writeLock_ held, so no preserved
// block is written while one file ends and the next begins.
unsigned long IBackup::SwitchFile()
{
    unsigned long rc = image_->EndBackup(1);
    if (KSFailed(rc))
        return KS_TRACE(rc);
    if (options_.StorageType == KS_STORAGE_DISC) {
        const size_t cut = imagePath_.find_last_of(L"\\/");
        if (cut == std::wstring::npos)
            return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, 0x255));
        if (KSFailed(rc = BurnFolder(imagePath_.substr(0, cut))))
            return KS_TRACE(rc);
    }
    unsigned long split = 0;
    if (KSFailed(rc = GetSplitSize(split)))
        return KS_TRACE(rc);
    wchar_t name[KS_BACKUP_PATH_CHARS] = {};
    std::wcsncpy(name, imagePath_.c_str(), KS_BACKUP_PATH_CHARS - 1);
    if (KSFailed(rc = image_->GetAvailableCofranName(name, KS_BACKUP_PATH_CHARS)))
        return KS_TRACE(rc);
    imagePath_ = name;
    written_.push_back(imagePath_);
    const std::wstring comment = KSWideFromField(options_.Comment, KS_BACKUP_COMMENT_CHARS);
    rc = image_->BeginBackup(imagePath_.c_str(), BeginBackupMode(),
                             filters_.empty() ? nullptr : reinterpret_cast<_KS_FILTERS_HEAD*>(filters_.data()),
                             comment.c_str(), options_.CompressLevel, split);
    DebugPrint("BeginBackup image file \"%s\".", NarrowText(imagePath_).c_str());
    return KS_TRACE(rc);
}

unsigned long IBackup::WriteToImage(void* context, unsigned long long firstSector, unsigned long count, void* buffer,
                                    unsigned long mode)
{
    IBackup* self = static_cast<IBackup*>(context);
    std::unique_lock<std::mutex> hold(self->writeLock_);
    unsigned long rc = self->WriteOnce(firstSector, count, buffer, mode);
    // A preserved block that cannot be written stays in the snapshot client's store.
    if ((mode & KS_VOLUME_WRITE_PRESERVED) != 0)
        return rc;
    if (KSResultKind(rc) == kFileFull) {
        // Ending a file may burn a disc and ask the user for the next one, which takes
        // as long as it takes: meanwhile the snapshot client keeps preserved blocks in
        // its store instead of waiting here, so the volume's writers never stall.
        hold.unlock();
        PausedUrgentBlocks paused(self->current_);
        hold.lock();
        if (KSFailed(rc = self->SwitchFile()))
            return KS_TRACE(rc);
        rc = self->WriteOnce(firstSector, count, buffer, mode);
    }
    while (KSResultKind(rc) == KS_KIND_TARGET_FULL) {
        const std::wstring path = self->imagePath_;
        hold.unlock();
        unsigned long answer;
        {
            PausedUrgentBlocks paused(self->current_);
            answer = self->AskForDisc(KS_BACKUP_MSG_TARGET_FULL, path.c_str());
        }
        hold.lock();
        if (answer != 0)
            return KS_TRACE(answer);
        rc = self->WriteOnce(firstSector, count, buffer, mode);
    }
    return KS_TRACE(rc);
}

unsigned long IBackup::OnReaderProgress(void* context, unsigned long state, unsigned long long bytes,
                                        unsigned long itemPercent)
{
    IBackup* self = static_cast<IBackup*>(context);
    self->progress_.SetState(state);
    if (bytes != ~0ull)
        self->progress_.AddDoneBytes(bytes, _time64(nullptr));
    if (itemPercent != ~0ul)
        self->progress_.SetItemPercent(itemPercent);
    return self->cancel_.load() != 0 ? KS_RESULT(KS_MODULE_BACKUP, KS_KIND_CANCELLED) : 0;
}

bool IBackup::AskCaller(unsigned long message, const wchar_t* path, unsigned long& answer)
{
    if (callback_ == nullptr)
        return false;
    answer = callback_(user_, message, const_cast<wchar_t*>(path));
    return true;
}

unsigned long IBackup::AskForDisc(unsigned long message, const wchar_t* path)
{
    if (callback_ == nullptr)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    if (disc_)
        return disc_->AskForDisc(message, path);
    if (message != KS_BACKUP_MSG_TARGET_FULL)
        return 0;
    const uint32_t previous = progress_.State();
    progress_.SetState(KS_BACKUP_MSG_TARGET_FULL);
    unsigned long answer = 0;
    AskCaller(message, path, answer);
    progress_.SetState(previous);
    if (answer == kRefused)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_TARGET_FULL));
    return answer;
}
