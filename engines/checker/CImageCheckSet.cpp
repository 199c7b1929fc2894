// Choosing the image set and its version, the list of the version's files, the
// listings for display, and the disc and file prompts.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "CImageCheck.h"
#include "CheckResult.h"
#include "ImageFileName.h"
#include "ImagePathRules.h"

namespace {

bool InDiscRange(uint32_t fileNumber, const _KS_CDINFO& disc)
{
    return fileNumber >= disc.FirstFile && fileNumber - disc.FirstFile < disc.FileCount;
}

GUID SetGuid(const _KS_IMG_FILE_INFO& info)
{
    GUID id;
    static_assert(sizeof id == sizeof info.SetId, "a GUID is 16 bytes");
    std::memcpy(&id, info.SetId, sizeof id);
    return id;
}

} // namespace

bool CImageCheck::OnDiscSet() const
{
    return (openMode_ & KS_OPEN_DISC_SET) != 0;
}

unsigned long CImageCheck::OpenFile(const wchar_t* path)
{
    if (path != openedFile_) {
        std::wcsncpy(openedFile_, path, KS_PATH_CHARS - 1);
        openedFile_[KS_PATH_CHARS - 1] = 0;
    }
    return container_->OpenCofran(path, openMode_ | KS_OPEN_SEQUENTIAL_ALT, PasswordOrNull(), PasswordBytes());
}

unsigned long CImageCheck::SetImgInfo(_KS_VERSION* version, wchar_t* path)
{
    unsigned long rc = 0;
    if (!GuardIdle(&rc))
        return rc;
    if (container_ == nullptr)
        return CheckResult::ImgInfoNoContainer;
    if (!passwordSettled_)
        return CheckResult::ImgInfoPasswordNotSettled;
    // The same path loads again when the set behind it was never loaded: IsPwdProtect
    // stores the path of a protected set before the password is known.
    if (path != nullptr && (std::wcscmp(path, imagePath_) != 0 || !setLoaded_)) {
        openMode_ = ImagePathRules::OnDisc(path) ? static_cast<unsigned long>(KS_OPEN_DISC_SET) : 0ul;
        rc = LoadSet(path);
        if (rc != 0) {
            imagePath_[0] = 0;
            setLoaded_ = false;
            return rc;
        }
        chosenVersion_ = -1;
        std::wcsncpy(imagePath_, path, KS_PATH_CHARS - 1);
        imagePath_[KS_PATH_CHARS - 1] = 0;
        setLoaded_ = true;
    }
    if (version == nullptr)
        return 0;
    if (versions_.empty())
        return CheckResult::ImgInfoNoVersions;
    int found = -1;
    for (size_t i = 0; i < versions_.size(); ++i)
        if (std::memcmp(&versions_[i], version, sizeof(_KS_VERSION)) == 0) {
            found = static_cast<int>(i);
            break;
        }
    if (found >= 0 && found == chosenVersion_)
        return 0;
    if (found >= 0)
        chosenVersion_ = found;
    return RebuildFileList();
}

unsigned long CImageCheck::LoadSet(const wchar_t* path)
{
    wchar_t last[KS_PATH_CHARS] = {};
    unsigned long rc = container_->SearchLastCofran(path, last, KS_PATH_CHARS, 0);
    if (rc != 0)
        return rc;
    if ((rc = OpenFile(last)) != 0)
        return rc;
    _KS_IMG_FILE_INFO info;
    std::vector<_KS_VERSION> versions;
    std::vector<_KS_IMGNAME_NO> names;
    rc = container_->GetCofranInfo(&info);
    if (rc == 0 && info.VersionCount > 0) {
        versions.resize(info.VersionCount);
        rc = container_->GetBackupVer(versions.data(), info.VersionCount);
    }
    if (rc == 0 && !versions.empty()) {
        // The name list has one entry for every file of the set, up to the last
        // file of the last version. That number comes from a version record, which a
        // damaged file may fill with anything, so the list grows from the files the
        // set needs only while the container says it is too small: its size stays
        // within twice the list the file really holds.
        const _KS_VERSION& newest = versions.back();
        const uint64_t nameCount = static_cast<uint64_t>(newest.FirstFile) + newest.FileCount;
        uint64_t capacity = std::min<uint64_t>(nameCount, std::max<uint64_t>(info.NeededFiles, 16));
        // Entries the container does not fill keep a mark and are dropped, so that
        // no zeroed entry can pass for a file at stream offset 0.
        _KS_IMGNAME_NO unfilled;
        std::memset(&unfilled, 0xFF, sizeof unfilled);
        while (capacity > 0) {
            names.assign(static_cast<size_t>(capacity), unfilled);
            rc = container_->GetBackupImgNameInfo(names.data(), static_cast<unsigned long>(capacity));
            if (KSResultKind(rc) != CheckResult::KIND_CAPACITY || capacity >= nameCount)
                break;
            capacity = std::min(nameCount, capacity * 2);
        }
        while (!names.empty() && std::memcmp(&names.back(), &unfilled, sizeof unfilled) == 0)
            names.pop_back();
    }
    container_->CloseCofran();
    if (rc != 0)
        return rc;
    fileInfo_ = info;
    versions_.swap(versions);
    names_.swap(names);
    files_.clear();
    discs_.clear();
    currentDisc_ = -1;
    std::wcsncpy(currentFile_, last, KS_PATH_CHARS - 1);
    currentFile_[KS_PATH_CHARS - 1] = 0;
    return 0;
}

unsigned long CImageCheck::ListFilesFrom(const wchar_t* path, const GUID* setId, std::vector<_KS_IMG>& out,
                                         unsigned long searchMode)
{
    out.clear();
    unsigned long count = 0;
    unsigned long rc = container_->GetBackupImg(*setId, path, nullptr, &count, searchMode);
    if (rc != 0 || count == 0)
        return rc;
    out.resize(count);
    rc = container_->GetBackupImg(*setId, path, out.data(), &count, searchMode);
    if (rc != 0) {
        out.clear();
        return rc;
    }
    out.resize(count < out.size() ? count : out.size());
    return 0;
}

unsigned long CImageCheck::RebuildFileList()
{
    const GUID setId = SetGuid(fileInfo_);
    if (!OnDiscSet()) {
        const GUID none = {};
        return ListFilesFrom(currentFile_, &none, files_);
    }
    if (!HasDiscRecords())
        return ListFilesFrom(currentFile_, &setId, files_);
    return CollectDiscFiles();
}

// A disc set with disc records: the files are collected disc by disc, from the last
// disc down, asking for each disc in turn.
unsigned long CImageCheck::CollectDiscFiles()
{
    const GUID setId = SetGuid(fileInfo_);
    std::vector<_KS_IMG> collected;
    int disc = static_cast<int>(discs_.size()) - 1;
    // A disc whose listing never fits its record (the file asked for is there, so
    // nobody is prompted) would otherwise be tried for ever.
    const int kTriesPerDisc = 10;
    int tries = 0;
    while (disc >= 0) {
        if (!collected.empty()) {
            if (collected.back().FileNumber == 0)
                break;
            const unsigned long rc = SureNeedCd(collected.back().FileNumber - 1, 0);
            if (rc != 0)
                return rc;
        }
        std::vector<_KS_IMG> found;
        const unsigned long rc = ListFilesFrom(currentFile_, &setId, found);
        const bool usable = rc == 0 && !found.empty() && InDiscRange(found[0].FileNumber, discs_[disc]);
        if (!usable) {
            // The first disc is the one in the drive; nothing can be asked for it.
            if (collected.empty())
                return rc != 0 ? rc : CheckResult::RunStartFileMissing;
            if (rc != 0 && KSResultKind(rc) != 0x00E)
                return rc;
            if (++tries >= kTriesPerDisc)
                return rc != 0 ? rc : CheckResult::RunStartFileMissing;
            continue; // the same disc record is tried again
        }
        collected.insert(collected.end(), found.begin(), found.end());
        --disc;
        tries = 0;
    }
    files_.swap(collected);
    return 0;
}

unsigned long CImageCheck::FindVersionLastFile(int* index) const
{
    if (files_.empty() || chosenVersion_ < 0 || chosenVersion_ >= static_cast<int>(versions_.size()))
        return CheckResult::VersionFileNoList;
    const _KS_VERSION& version = versions_[static_cast<size_t>(chosenVersion_)];
    const uint64_t lastPlusOne = static_cast<uint64_t>(version.FirstFile) + version.FileCount;
    for (size_t i = 0; i < files_.size(); ++i)
        if (files_[i].VersionIndex == version.Index && static_cast<uint64_t>(files_[i].FileNumber) + 1 == lastPlusOne) {
            *index = static_cast<int>(i);
            return 0;
        }
    return CheckResult::VersionFileMissing;
}

unsigned long CImageCheck::OpenVersionLastFile(_KS_VERSION* version)
{
    unsigned long rc = 0;
    int last = -1;
    if ((rc = SetImgInfo(version, nullptr)) != 0 || (rc = FindVersionLastFile(&last)) != 0)
        return rc;
    const _KS_IMG& file = files_[static_cast<size_t>(last)];
    // The listings only read the last file's directory; a disc prompt that is not
    // answered leaves the open below to report the missing file.
    SureNeedCd(file.FileNumber, 0);
    return OpenFile(file.Path);
}

int CImageCheck::DiscRecordOf(uint32_t fileNumber) const
{
    for (size_t i = 0; i < discs_.size(); ++i)
        if (InDiscRange(fileNumber, discs_[i]))
            return static_cast<int>(i);
    return -1;
}

bool CImageCheck::IsImgInCurCD(uint32_t fileNumber, wchar_t* foundPath)
{
    const GUID setId = SetGuid(fileInfo_);
    // Every file of the set in the drive's folder: the files asked for one by one
    // arrive out of the chain's order, and a search for the chain from the last file
    // would not list a file while a later one is still missing.
    std::vector<_KS_IMG> onDisc;
    if (ListFilesFrom(currentFile_, &setId, onDisc, KS_SEARCH_FOLDER) != 0)
        return false;
    for (const _KS_IMG& file : onDisc)
        if (file.FileNumber == fileNumber) {
            if (foundPath != nullptr) {
                std::wcsncpy(foundPath, file.Path, KS_PATH_CHARS - 1);
                foundPath[KS_PATH_CHARS - 1] = 0;
            }
            return true;
        }
    return false;
}

unsigned long CImageCheck::Prompt(unsigned long message, void* data)
{
    // Without a callback nobody can change the disc: asking again would never end.
    if (prompt_ == nullptr)
        return KS_RESULT(KS_MODULE_CHECKER, CheckResult::KIND_NOT_READY);
    const unsigned long answer = prompt_(promptContext_, message, data);
    return KSFailed(answer) ? answer : 0;
}

unsigned long CImageCheck::PromptForFile(const wchar_t* name)
{
    _KS_IMG_MSG_FILE message;
    std::memset(&message, 0, sizeof message);
    message.Kind = 2;
    message.FileNumber = 0;
    // The file's name without its folder: the console shows only the first 63
    // characters, and the user must see which file to put back.
    std::wcsncpy(message.Path, ImageFileNameOf(name), KS_PATH_CHARS - 1);
    return Prompt(KS_IMG_MSG_LOCATE_FILE, &message);
}

unsigned long CImageCheck::ContainerPrompt(void* self, unsigned long message, void* data)
{
    CImageCheck* check = static_cast<CImageCheck*>(self);
    if (check->prompt_ == nullptr)
        return KS_RESULT(KS_MODULE_CHECKER, CheckResult::KIND_NOT_READY);
    if (message != KS_IMG_MSG_LOCATE_FILE || data == nullptr)
        return check->prompt_(check->promptContext_, message, data);
    _KS_IMG_MSG_FILE named = *static_cast<const _KS_IMG_MSG_FILE*>(data);
    named.Path[KS_PATH_CHARS - 1] = 0;
    const wchar_t* name = ImageFileNameOf(named.Path);
    std::memmove(named.Path, name, (std::wcslen(name) + 1) * sizeof(wchar_t));
    return check->prompt_(check->promptContext_, message, &named);
}

unsigned long CImageCheck::SureNeedCd(uint32_t fileNumber, int wait)
{
    if (discs_.empty() || !ImagePathRules::OnDisc(imagePath_))
        return 0;
    if (wait == 1) {
        const int disc = DiscRecordOf(fileNumber);
        if (disc < 0)
            return CheckResult::DiscRecordNotFoundForCurrent;
        currentDisc_ = disc;
        return 0;
    }
    while (!IsImgInCurCD(fileNumber)) {
        const int disc = DiscRecordOf(fileNumber);
        if (disc < 0)
            return CheckResult::DiscRecordNotFound;
        _KS_IMG_MSG_DISC message;
        std::memset(&message, 0, sizeof message);
        message.Kind = 2;
        message.Drive = ImagePathRules::DriveIndex(currentFile_);
        std::swprintf(message.DiscNumber, 64, L"%d", static_cast<int>(discs_[static_cast<size_t>(disc)].Index) + 1);
        const unsigned long rc = Prompt(KS_IMG_MSG_INSERT_DISC, &message);
        if (rc != 0)
            return rc;
        // A user who cancels while a disc is asked for is not asked again.
        if (progress_.Cancelled())
            return KS_RESULT(KS_MODULE_CHECKER, CheckResult::KIND_CANCELLED);
    }
    return 0;
}

unsigned long CImageCheck::GetImageVersions(_KS_VERSION* buffer, unsigned long capacity, int* count, wchar_t* path)
{
    unsigned long rc = 0;
    if (!GuardIdle(&rc))
        return rc;
    if (container_ == nullptr)
        return CheckResult::VersionsNoContainer;
    if (count == nullptr || path == nullptr)
        return CheckResult::VersionsNullArgument;
    if (buffer != nullptr && *count <= 0)
        return CheckResult::VersionsBadCount;
    if ((rc = SetImgInfo(nullptr, path)) != 0)
        return rc;
    if (versions_.empty())
        return CheckResult::VersionsNone;
    *count = static_cast<int>(versions_.size());
    if (buffer == nullptr)
        return 0;
    if (capacity < versions_.size())
        return CheckResult::VersionsCapacity;
    std::memcpy(buffer, versions_.data(), versions_.size() * sizeof(_KS_VERSION));
    return 0;
}

unsigned long CImageCheck::GetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, int* count,
                                         _KS_VERSION* version)
{
    unsigned long rc = 0;
    if (!GuardIdle(&rc))
        return rc;
    if (container_ == nullptr)
        return CheckResult::VolumesNoContainer;
    if (version == nullptr || count == nullptr)
        return CheckResult::VolumesNullArgument;
    if ((rc = OpenVersionLastFile(version)) != 0)
        return rc;
    _KS_IMG_FILE_INFO info;
    rc = container_->GetCofranInfo(&info);
    if (rc == 0) {
        *count = static_cast<int>(info.VolumeCount);
        if (buffer != nullptr) {
            if (capacity < info.VolumeCount)
                rc = CheckResult::VolumesCapacity;
            else if (info.VolumeCount > 0)
                rc = container_->GetVolumes(buffer, info.VolumeCount);
        }
    }
    container_->CloseCofran();
    return rc;
}

unsigned long CImageCheck::GetVerComment(wchar_t* buffer, unsigned long size, int* count, _KS_VERSION* version)
{
    unsigned long rc = 0;
    if (!GuardIdle(&rc))
        return rc;
    if (container_ == nullptr)
        return CheckResult::CommentNoContainer;
    if (version == nullptr || count == nullptr)
        return CheckResult::CommentNullArgument;
    if ((rc = OpenVersionLastFile(version)) != 0)
        return rc;
    rc = container_->GetComment(buffer, size);
    container_->CloseCofran();
    return rc;
}
