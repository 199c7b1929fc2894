// The engine's listing operations: the set's versions, a version's volumes and
// comment, and the password test. Each opens the set, reads and closes it again.
#include "CRestore.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "KSResult.h"
#include "RestoreKinds.h"

using namespace restore_kinds;

namespace {

// Closes the container when the operation leaves, whichever way.
struct CloseOnExit {
    IKSCofran* image;
    ~CloseOnExit() { image->CloseCofran(); }
};

bool EndsVersion(const _KS_IMG& file, const _KS_VERSION& version)
{
    return file.VersionIndex == version.Index && file.FileNumber + 1 == version.FirstFile + version.FileCount;
}

// The path of the listed file that ends the version into out; false when none does.
bool TakeVersionEnd(const std::vector<_KS_IMG>& files, const _KS_VERSION& version,
                    wchar_t out[KS_RESTORE_PATH_CHARS])
{
    for (const _KS_IMG& file : files) {
        if (EndsVersion(file, version)) {
            std::wcsncpy(out, file.Path, KS_RESTORE_PATH_CHARS - 1);
            out[KS_RESTORE_PATH_CHARS - 1] = L'\0';
            return true;
        }
    }
    return false;
}
}

unsigned long CRestore::FindVersionFile(const wchar_t* path, const _KS_VERSION* version,
                                        wchar_t out[KS_RESTORE_PATH_CHARS])
{
    if (image_ == nullptr || path == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    unsigned long result = image_->SearchLastCofran(path, out, KS_RESTORE_PATH_CHARS, 0);
    if (result != 0)
        return result;
    result = image_->OpenCofran(out, 0, Password(), PasswordBytes());
    if (result != 0)
        return result;
    CloseOnExit closer{image_};
    unsigned long count = 0;
    result = image_->GetBackupImg(nullptr, &count);
    if (result != 0 || version == nullptr || count == 0)
        return result;
    std::vector<_KS_IMG> files(count);
    result = image_->GetBackupImg(files.data(), &count);
    if (result != 0)
        return result;
    files.resize(count);
    if (TakeVersionEnd(files, *version, out))
        return 0;
    // The last file lists the files its own version needs: an older version that
    // does not build on the newer ones is not among them. The set's files are then
    // looked for in its folder by the set's id, which the last file's head gives.
    const GUID fromHead{};
    count = 0;
    if (image_->GetBackupImg(fromHead, out, nullptr, &count, KS_SEARCH_FOLDER) != 0 || count == 0)
        return 0;
    files.resize(count);
    if (image_->GetBackupImg(fromHead, out, files.data(), &count, KS_SEARCH_FOLDER) == 0) {
        files.resize(count);
        TakeVersionEnd(files, *version, out);
    }
    return 0;
}

unsigned long CRestore::SetImgInfo(_KS_VERSION* version, wchar_t* path)
{
    if (version != nullptr)
        std::memcpy(&version_, version, sizeof version_);
    if (path == nullptr)
        return 0;
    if (std::wcslen(path) >= KS_RESTORE_PATH_CHARS)
        return KS_RESULT(KS_MODULE_RESTORE, kTooLong);
    wchar_t found[KS_RESTORE_PATH_CHARS] = {};
    const unsigned long result = FindVersionFile(path, &version_, found);
    std::wcscpy(imagePath_, result == 0 ? found : path);
    return result;
}

unsigned long CRestore::IsPwdProtect(wchar_t* path)
{
    if (path == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    if (image_ == nullptr)
        return 0;
    const unsigned long result = image_->OpenCofran(path, 0, nullptr, 0);
    if (result == 0) {
        image_->CloseCofran();
        return 0;
    }
    std::wcsncpy(protectedPath_, path, KS_RESTORE_PATH_CHARS - 1);
    protectedPath_[KS_RESTORE_PATH_CHARS - 1] = L'\0';
    return KSResultKind(result) == KS_KIND_WRONG_PASSWORD ? 1 : 0;
}

unsigned long CRestore::GetImageVersions(_KS_VERSION* buffer, unsigned long size, unsigned long* count,
                                         wchar_t* path)
{
    if (image_ == nullptr || path == nullptr || count == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    if (std::wcslen(path) >= KS_RESTORE_PATH_CHARS)
        return KS_RESULT(KS_MODULE_RESTORE, kTooLong);
    wchar_t last[KS_RESTORE_PATH_CHARS] = {};
    unsigned long result = image_->SearchLastCofran(path, last, KS_RESTORE_PATH_CHARS, 0);
    if (result != 0)
        return result;
    result = image_->OpenCofran(last, 0, Password(), PasswordBytes());
    if (result != 0)
        return result;
    CloseOnExit closer{image_};
    _KS_IMG_FILE_INFO info{};
    info.Size = sizeof info;
    result = image_->GetCofranInfo(&info);
    if (result != 0)
        return result;
    *count = info.VersionCount;
    if (buffer == nullptr)
        return 0;
    if (size < info.VersionCount)
        return KS_RESULT(KS_MODULE_RESTORE, kTooLong);
    return image_->GetBackupVer(buffer, info.VersionCount);
}

unsigned long CRestore::GetImgVolumes(_KS_VOLUME* buffer, unsigned long size, unsigned long* count,
                                      _KS_VERSION* version)
{
    if (image_ == nullptr || imagePath_[0] == L'\0' || version == nullptr || count == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    wchar_t file[KS_RESTORE_PATH_CHARS] = {};
    unsigned long result = FindVersionFile(imagePath_, version, file);
    if (result != 0)
        return result;
    result = image_->OpenCofran(file, 0, Password(), PasswordBytes());
    if (result != 0)
        return result;
    CloseOnExit closer{image_};
    _KS_IMG_FILE_INFO info{};
    info.Size = sizeof info;
    result = image_->GetCofranInfo(&info);
    if (result != 0)
        return result;
    *count = info.VolumeCount;
    if (buffer == nullptr)
        return 0;
    if (size < info.VolumeCount)
        return KS_RESULT(KS_MODULE_RESTORE, kTooLong);
    return image_->GetVolumes(buffer, info.VolumeCount);
}

unsigned long CRestore::GetVerComment(wchar_t* buffer, unsigned long size, unsigned long* count,
                                      _KS_VERSION* version)
{
    if (version == nullptr || buffer == nullptr || count == nullptr || image_ == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    if (imagePath_[0] == L'\0')
        return KS_RESULT(KS_MODULE_RESTORE, kNoImage);
    unsigned long result = image_->OpenCofran(imagePath_, 0, Password(), PasswordBytes());
    if (result != 0)
        return result;
    unsigned long files = 0;
    std::vector<_KS_IMG> list;
    result = image_->GetBackupImg(nullptr, &files);
    if (result == 0 && files != 0) {
        list.resize(files);
        result = image_->GetBackupImg(list.data(), &files);
    }
    image_->CloseCofran();
    if (result != 0)
        return result;
    const _KS_IMG* ending = nullptr;
    for (unsigned long i = 0; i < files && ending == nullptr; ++i)
        if (EndsVersion(list[i], *version))
            ending = &list[i];
    if (ending == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, kNotFound);
    result = image_->OpenCofran(ending->Path, 0, Password(), PasswordBytes());
    if (result != 0)
        return result;
    CloseOnExit closer{image_};
    result = image_->GetComment(buffer, size);
    if (result == 0)
        *count = static_cast<unsigned long>(std::wcslen(buffer));
    return result;
}
