// Where a run writes: the work path for file and disc targets, and the engine's side
// of the disc output (CDiscOutput) for storage type 32.
#include "IBackup.h"

#include <direct.h>
#include <io.h>

#include "BackupKinds.h"
#include "BackupTrace.h"
#include "KSResult.h"

using namespace backup_kinds;

namespace {
constexpr uint64_t kDiscStagingBytes = 0x9C400000ull; // 2,500 MiB
}

unsigned long IBackup::PrepareImagePath(std::wstring& workPath)
{
    const std::wstring image = KSWideFromField(options_.ImagePath, KS_BACKUP_PATH_CHARS);
    switch (options_.StorageType) {
    case KS_STORAGE_NONE:
    case KS_STORAGE_FILE:
    case KS_STORAGE_FILE2:
        if (image.size() >= KS_BACKUP_PATH_CHARS - 1)
            return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kBadPath));
        workPath = image;
        return 0;
    case KS_STORAGE_DISC: {
        if (tempFolder_.size() >= KS_BACKUP_PATH_CHARS - 1)
            return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kBadPath));
        ULARGE_INTEGER available{}, total{}, free{};
        if (!GetDiskFreeSpaceExW(tempFolder_.c_str(), &available, &total, &free) ||
            available.QuadPart < kDiscStagingBytes)
            return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kTempSpace));
        const size_t cut = image.find_last_of(L"\\/");
        if (cut == std::wstring::npos)
            return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kBadPath));
        const std::wstring name = image.substr(cut + 1);
        if (tempFolder_.size() + name.size() >= KS_BACKUP_PATH_CHARS - 1)
            return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kBadPath));
        const std::wstring staging = tempFolder_ + L"ZeTemp";
        _wmkdir(staging.c_str());
        _wfinddata64_t found{};
        const intptr_t search = _wfindfirst64((staging + L"\\*.*").c_str(), &found);
        if (search != -1) {
            do {
                if (!(found.attrib & _A_SUBDIR))
                    DeleteFileW((staging + L"\\" + found.name).c_str());
            } while (_wfindnext64(search, &found) == 0);
            _findclose(search);
        }
        workPath = staging + L"\\" + name;
        return 0;
    }
    default:
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    }
}

unsigned long IBackup::PrepareDisc()
{
    if (options_.StorageType != KS_STORAGE_DISC)
        return 0;
    keepStaged_ = false;
    {
        std::lock_guard<std::mutex> hold(discLock_);
        disc_.reset(new CDiscOutput(discServices_, *this));
    }
    return KS_TRACE(disc_->Prepare(KSWideFromField(options_.ImagePath, KS_BACKUP_PATH_CHARS)));
}

unsigned long IBackup::GetSplitSize(unsigned long& splitMiB)
{
    if (!hasOptions_)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    if (options_.StorageType == KS_STORAGE_DISC && disc_)
        return KS_TRACE(disc_->SplitSize(splitMiB));
    splitMiB = options_.SplitMiB;
    return 0;
}

unsigned long IBackup::BurnFolder(const std::wstring& folder)
{
    if (options_.StorageType != KS_STORAGE_DISC)
        return 0;
    if (!disc_)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, kNoWriter));
    const unsigned long rc = disc_->BurnFolder(folder);
    // The files not burned are the only copy of the backup: they stay.
    if (KSFailed(rc))
        keepStaged_ = true;
    return KS_TRACE(rc);
}

void IBackup::FinishDisc()
{
    std::lock_guard<std::mutex> hold(discLock_);
    if (disc_)
        disc_->Finish();
    disc_.reset();
}

void IBackup::SetDiscBurned(bool burned)
{
    if (burned)
        setFlags_ |= KS_SET_DISC_BURNED;
    else
        setFlags_ &= ~static_cast<unsigned long>(KS_SET_DISC_BURNED);
}

std::wstring IBackup::DiscLabel()
{
    wchar_t label[KS_BACKUP_PATH_CHARS] = {};
    if (image_ != nullptr)
        image_->GetAvailableLabel(label, KS_BACKUP_PATH_CHARS);
    return label;
}
