#include "ImageFileReader.h"

#include <cstring>

#include "BlobReader.h"
#include "CofranResult.h"
#include "DirectoryLists.h"
#include "ImageEnds.h"
#include "ImageNaming.h"
#include "Utf16Text.h"

namespace {
constexpr unsigned long kReadRetries = 10;
// The largest run the reader holds (a FAT of 1 GiB), stored encrypted.
constexpr uint32_t kLargestStored = (1u << 30) + 16;
} // namespace

ImageFileReader::ImageFileReader(CofranSession& session) : session_(session)
{
    std::memset(&head_, 0, sizeof head_);
    std::memset(&tail_, 0, sizeof tail_);
}

unsigned long ImageFileReader::Open(const wchar_t* path)
{
    if (CofranText::Length(path) >= KS_PATH_CHARS)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    // path may be this file's own path, which closing forgets.
    CofranText opened;
    if (!opened.assign(path))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    file_.Close();
    _KS_IMG_HEAD head;
    _KS_IMG_TAIL tail;
    unsigned long rc = OpenImageEnds(file_, opened.c_str(), &head, &tail);
    if (KSFailed(rc))
        return rc;
    rc = session_.CheckPassword(head);
    if (KSFailed(rc)) {
        file_.Close();
        return rc;
    }
    if ((session_.baseName.empty() && !Utf16Text::FromUtf16(head.BaseName, KS_BASE_NAME_UNITS, session_.baseName)) ||
        (session_.folder.empty() && !ImageNaming::FolderOf(opened, session_.folder))) {
        file_.Close();
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    }
    head_ = head;
    tail_ = tail;
    path_ = static_cast<CofranText&&>(opened);
    return 0;
}

void ImageFileReader::Close()
{
    file_.Close();
}

void ImageFileReader::Forget()
{
    file_.Close();
    path_.clear();
    ReleaseBuffers();
    codec_.Release();
}

bool ImageFileReader::Holds(uint64_t offset, uint64_t size) const
{
    const uint64_t end = tail_.Base + tail_.DataLength;
    return offset >= tail_.Base && offset < end && size <= end - offset;
}

unsigned long ImageFileReader::CheckStoredSize(uint32_t stored, uint32_t raw)
{
    if (stored == 0)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    // Neither compression nor padding makes a blob more than 16 bytes larger.
    if (stored > kLargestStored || uint64_t(stored) > uint64_t(raw) + 16)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    return 0;
}

unsigned long ImageFileReader::ReadBytes(uint64_t pos, void* buffer, uint32_t size)
{
    for (unsigned long attempt = 0;; ++attempt) {
        uint32_t got = 0;
        const bool ok = file_.ReadAt(pos, buffer, size, &got);
        if (ok)
            return got == size ? 0 : COFRAN_FAIL(KS_KIND_BAD_DATA);
        const unsigned long failure = COFRAN_FAIL(KS_KIND_READ_FAILED);
        if (session_.callback == nullptr || attempt >= kReadRetries)
            return failure;
        _KS_IMG_MSG_READ msg;
        std::memset(&msg, 0, sizeof msg);
        msg.Result = static_cast<uint32_t>(failure);
        msg.SystemError = static_cast<uint32_t>(CofranFile::LastError());
        ImageNaming::CopyOutCut(path_.c_str(), msg.Path, KS_PATH_CHARS);
        const unsigned long answer = session_.callback(session_.callbackContext, KS_IMG_MSG_READ_FAILED, &msg);
        if (answer != 0)
            return answer;
    }
}

unsigned long ImageFileReader::ReadStored(uint64_t offset, uint32_t stored, KSBlobGroup group, unsigned char* out,
                                          uint32_t raw)
{
    unsigned long rc = CheckStoredSize(stored, raw);
    if (KSFailed(rc))
        return rc;
    if (!Holds(offset, stored))
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    if (stored_.size() < stored && !stored_.resize(stored))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    if (KSFailed(rc = ReadBytes(FilePosition(offset), stored_.data(), stored)))
        return rc;
    return codec_.Decode(Settings(), group, stored_.data(), stored, out, raw);
}

BlobCodec::Settings ImageFileReader::Settings()
{
    return DirectoryLists::SettingsFor(head_, &session_.cipher);
}

unsigned long ImageFileReader::ReadDirectoryBlob(uint32_t pos, uint32_t raw, uint32_t stored, KSBlobGroup group,
                                                 CofranBuffer<unsigned char>& out)
{
    return ReadBlobAt(file_, codec_, Settings(), group, pos, raw, stored, out);
}

unsigned long ImageFileReader::LoadVersions(CofranBuffer<_KS_VERSION>& out)
{
    return DirectoryLists::Versions(file_, codec_, Settings(), tail_, out);
}

unsigned long ImageFileReader::LoadLabels(CofranBuffer<_KS_CDINFO>& out)
{
    return DirectoryLists::Labels(file_, codec_, Settings(), tail_, out);
}

unsigned long ImageFileReader::LoadNames(CofranBuffer<_KS_IMGNAME_NO>& out)
{
    return DirectoryLists::Names(file_, codec_, Settings(), tail_, out);
}

unsigned long ImageFileReader::LoadVolumes(CofranBuffer<_KS_VOLUME>& out)
{
    return DirectoryLists::Volumes(file_, codec_, Settings(), tail_, out);
}

void ImageFileReader::ReleaseBuffers()
{
    stored_.release();
}
