// Reading stored blobs of the open set: retries through the callback, and moving
// to the file of the set that holds a stream offset, asking for discs and files.
#include <cstdio>
#include <cstring>
#include <new>

#include "CCofran.h"
#include "CofranResult.h"
#include "DirectoryLists.h"
#include "ImageNaming.h"

namespace {
constexpr unsigned long kReadRetries = 10;
constexpr unsigned long kSwitchRounds = 64;
// The largest run the reader holds (a FAT of 1 GiB), stored encrypted.
constexpr uint32_t kLargestStored = (1u << 30) + 16;

int DriveIndex(const std::wstring& path)
{
    if (path.size() >= 2 && path[1] == L':') {
        const wchar_t c = path[0];
        if (c >= L'A' && c <= L'Z')
            return c - L'A';
        if (c >= L'a' && c <= L'z')
            return c - L'a';
    }
    return -1;
}
} // namespace

bool CCofran::InOpenFile(uint64_t offset, uint64_t size) const
{
    const uint64_t end = rtail_.Base + rtail_.DataLength;
    return offset >= rtail_.Base && offset < end && size <= end - offset;
}

unsigned long CCofran::ReadFileBytes(uint64_t pos, void* buffer, uint32_t size)
{
    for (unsigned long attempt = 0;; ++attempt) {
        uint32_t got = 0;
        const bool ok = reader_.ReadAt(pos, buffer, size, &got);
        if (ok)
            return got == size ? 0 : COFRAN_FAIL(KS_KIND_BAD_DATA);
        const unsigned long failure = COFRAN_FAIL(KS_KIND_READ_FAILED);
        if (callback_ == nullptr || attempt >= kReadRetries)
            return failure;
        _KS_IMG_MSG_READ msg;
        std::memset(&msg, 0, sizeof msg);
        msg.Result = static_cast<uint32_t>(failure);
        msg.SystemError = static_cast<uint32_t>(CofranFile::LastError());
        ImageNaming::CopyOut(openPath_.substr(0, KS_PATH_CHARS - 1), msg.Path, KS_PATH_CHARS);
        const unsigned long answer = callback_(callbackContext_, KS_IMG_MSG_READ_FAILED, &msg);
        if (answer != 0)
            return answer;
    }
}

unsigned long CCofran::ReadStored(uint64_t offset, uint32_t stored, KSBlobGroup group, unsigned char* out, uint32_t raw)
{
    if (stored == 0)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    // Neither compression nor padding makes a blob more than 16 bytes larger.
    if (stored > kLargestStored || uint64_t(stored) > uint64_t(raw) + 16)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    unsigned long rc = SwitchFor(offset);
    if (KSFailed(rc))
        return rc;
    if (!InOpenFile(offset, stored))
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    try {
        if (stored_.size() < stored)
            stored_.resize(stored);
    } catch (const std::bad_alloc&) {
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    }
    if (KSFailed(rc = ReadFileBytes(FilePosition(offset), stored_.data(), stored)))
        return rc;
    return codec_.Decode(ReaderSettings(), group, stored_.data(), stored, out, raw);
}

unsigned long CCofran::LoadSwitchLists()
{
    if (switchListsLoaded_)
        return 0;
    unsigned long rc;
    if (KSFailed(rc = LoadNames(setNames_)) || KSFailed(rc = LoadLabels(setLabels_)))
        return rc;
    unsigned long count = 0;
    if (KSFailed(rc = GetBackupImg(nullptr, &count)))
        return rc;
    try {
        setFiles_.assign(count == 0 ? 1 : count, _KS_IMG());
    } catch (const std::bad_alloc&) {
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    }
    if (KSFailed(rc = GetBackupImg(setFiles_.data(), &count)))
        return rc;
    setFiles_.resize(count);
    switchListsLoaded_ = true;
    return 0;
}

unsigned long CCofran::SwitchFor(uint64_t offset)
{
    if (InOpenFile(offset, 1))
        return 0;
    const unsigned long use = Use();
    if (use == KS_OPEN_SEQUENTIAL || use == KS_OPEN_SEQUENTIAL_ALT)
        return COFRAN_FAIL(KS_KIND_OTHER_FILE);
    if (!DiscSet()) {
        if (use == KS_OPEN_BACKUP)
            return COFRAN_FAIL(KS_KIND_OTHER_FILE);
        const unsigned long rc = LoadSwitchLists();
        if (KSFailed(rc))
            return rc;
        for (const _KS_IMG& img : setFiles_)
            if (offset >= img.Base && offset - img.Base < img.DataLength) {
                uint8_t setId[16];
                std::memcpy(setId, rhead_.SetId, 16);
                const unsigned long opened = OpenFileForReading(img.Path);
                if (KSFailed(opened))
                    return opened;
                if (std::memcmp(setId, rhead_.SetId, 16) != 0 || !InOpenFile(offset, 1))
                    return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
                return 0;
            }
        return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
    }
    return SwitchOnDiscs(offset);
}

unsigned long CCofran::SwitchOnDiscs(uint64_t offset)
{
    if (callback_ == nullptr)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    unsigned long rc = LoadSwitchLists();
    if (KSFailed(rc))
        return rc;
    const std::wstring lastFolder = folder_;
    for (unsigned long round = 0; round < kSwitchRounds; ++round) {
        for (const _KS_IMG& img : setFiles_)
            if (offset >= img.Base && offset - img.Base < img.DataLength) {
                const std::wstring path = img.Path;
                if (KSSucceeded(OpenFileForReading(path)) && InOpenFile(offset, 1))
                    return 0;
            }
        const _KS_IMGNAME_NO* name = nullptr;
        for (size_t i = setNames_.size(); i > 0; --i)
            if (setNames_[i - 1].Base <= offset) {
                name = &setNames_[i - 1];
                break;
            }
        if (name == nullptr)
            return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
        unsigned long count = 0;
        GUID id;
        std::memcpy(&id, rhead_.SetId, sizeof id);
        if (!setLabels_.empty()) {
            const _KS_CDINFO* label = nullptr;
            for (const _KS_CDINFO& l : setLabels_)
                if (name->FileNumber >= l.FirstFile && name->FileNumber - l.FirstFile < l.FileCount)
                    label = &l;
            if (label == nullptr)
                return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
            _KS_IMG_MSG_DISC msg;
            std::memset(&msg, 0, sizeof msg);
            msg.Kind = 2;
            msg.Drive = DriveIndex(openPath_);
            std::swprintf(msg.DiscNumber, 64, L"%u", label->Index + 1);
            reader_.Close();
            if ((rc = callback_(callbackContext_, KS_IMG_MSG_INSERT_DISC, &msg)) != 0)
                return rc;
            const std::wstring folder = lastFolder.empty() ? std::wstring(L"./") : lastFolder;
            count = 0;
            std::vector<_KS_IMG> files(64);
            count = static_cast<unsigned long>(files.size());
            if (KSSucceeded(GetBackupImg(id, (folder + L"*").c_str(), files.data(), &count, KS_SEARCH_FOLDER))) {
                files.resize(count);
                setFiles_.insert(setFiles_.end(), files.begin(), files.end());
            }
        } else {
            _KS_IMG_MSG_FILE msg;
            std::memset(&msg, 0, sizeof msg);
            msg.FileNumber = name->FileNumber;
            const std::wstring path = ImageNaming::FileName(folder_, baseName_, name->NameNumber);
            ImageNaming::CopyOut(path.substr(0, KS_PATH_CHARS - 1), msg.Path, KS_PATH_CHARS);
            if ((rc = callback_(callbackContext_, KS_IMG_MSG_LOCATE_FILE, &msg)) != 0)
                return rc;
            std::vector<_KS_IMG> files(64);
            count = static_cast<unsigned long>(files.size());
            if (KSSucceeded(GetBackupImg(id, path.c_str(), files.data(), &count, KS_SEARCH_FOLDER))) {
                files.resize(count);
                setFiles_.insert(setFiles_.end(), files.begin(), files.end());
            }
        }
    }
    return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
}
