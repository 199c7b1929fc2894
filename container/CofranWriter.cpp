// The writer: files of a backup run, their heads, directories, volume lists and
// tails, and the continuation of a set into its next file.
#include <cstring>
#include <new>
#include <cwchar>

#include "CCofran.h"
#include "CofranResult.h"
#include "DirectoryLists.h"
#include "ImageEnds.h"
#include "ImageNaming.h"
#include "Utf16Text.h"
#include "PasswordKey.h"

namespace {

constexpr uint64_t kDefaultSplit = 0xFFF00000ull;
constexpr unsigned long kSmallestSplitMiB = 50;
constexpr unsigned long kHighestLevel = 9;
constexpr uint32_t kMaxNameProbes = 100000;

void TakeTime(_KS_TIME_STAMP& t)
{
    SYSTEMTIME now;
    std::memset(&now, 0, sizeof now);
    GetSystemTime(&now);
    t.Year = now.wYear;
    t.Month = static_cast<uint8_t>(now.wMonth);
    t.Day = static_cast<uint8_t>(now.wDay);
    t.Hour = static_cast<uint8_t>(now.wHour);
    t.Minute = static_cast<uint8_t>(now.wMinute);
    t.Second = static_cast<uint8_t>(now.wSecond);
    t.DayOfWeek = static_cast<uint8_t>(now.wDayOfWeek);
}

bool FileExists(const std::wstring& path)
{
    CofranFile probe;
    if (probe.OpenRead(path.c_str()))
        return true;
    return CofranFile::LastError() == ERROR_ACCESS_DENIED;
}

template <typename T, void (*Encode)(const T&, unsigned char*)>
std::vector<unsigned char> EncodeList(const std::vector<T>& list, size_t recordSize)
{
    std::vector<unsigned char> raw(list.size() * recordSize);
    for (size_t i = 0; i < list.size(); ++i)
        Encode(list[i], raw.data() + i * recordSize);
    return raw;
}
void EncodeVersion(const _KS_VERSION& v, unsigned char* out) { KSVersionToBytes(v, out); }
void EncodeLabel(const _KS_CDINFO& c, unsigned char* out) { KSCdInfoToBytes(c, out); }
void EncodeName(const _KS_IMGNAME_NO& n, unsigned char* out) { KSImgNameNoToBytes(n, out); }
void EncodeVolume(const _KS_VOLUME& v, unsigned char* out) { KSVolumeToBytes(v, out); }

} // namespace

BlobCodec::Settings CCofran::WriterSettings()
{
    return DirectoryLists::SettingsFor(whead_, &cipher_);
}

uint64_t CCofran::StreamPosition() const
{
    return whead_.Base + (buffer_.Position() - wtail_.DataStart);
}

uint64_t CCofran::ClosingRoom() const
{
    if (closing_)
        return 0;
    return KS_INDEX_CHUNK_SIZE + (runUsed_ + KS_RIND_ENTRY_SIZE) + uint64_t(KS_VOLUME_SIZE) * volumes_.size() +
           KS_IMG_TAIL_SIZE;
}

unsigned long CCofran::WriteBytes(const void* data, uint32_t size)
{
    const uint64_t room = ClosingRoom();
    if (room >= splitSize_ || buffer_.Position() + size > splitSize_ - room)
        return COFRAN_FAIL(KS_KIND_OTHER_FILE);
    return buffer_.Append(out_, buffer_.Position(), data, size);
}

unsigned long CCofran::WriteBlob(KSBlobGroup group, const unsigned char* raw, uint32_t rawSize, uint32_t* storedSize)
{
    const unsigned char* stored = nullptr;
    uint32_t size = 0;
    unsigned long rc = codec_.Encode(WriterSettings(), group, raw, rawSize, &stored, &size);
    if (KSFailed(rc))
        return rc;
    if (size > 0 && KSFailed(rc = WriteBytes(stored, size)))
        return rc;
    *storedSize = size;
    return 0;
}

unsigned long CCofran::GetAvailableCofranName(wchar_t* out, unsigned long outChars)
{
    if (out == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!writerOpen_)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    for (uint32_t probes = 0; probes < kMaxNameProbes; ++probes) {
        const std::wstring name = ImageNaming::FileName(folder_, baseName_, nameNumber_);
        if (!FileExists(name))
            return ImageNaming::CopyOut(name, out, outChars) ? 0 : COFRAN_FAIL(KS_KIND_TOO_SMALL);
        ++nameNumber_;
    }
    return COFRAN_FAIL(KS_KIND_TOO_SMALL);
}

unsigned long CCofran::GetAvailableLabel(wchar_t* out, unsigned long outChars)
{
    if (out == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!writerOpen_)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    return ImageNaming::CopyOut(ImageNaming::DiscLabel(labelPrefix_, labelCounter_), out, outChars)
               ? 0
               : COFRAN_FAIL(KS_KIND_TOO_SMALL);
}

CCofran::WriterSnapshot CCofran::Snapshot() const
{
    return WriterSnapshot{whead_, wtail_, versions_, labels_, names_, nameNumber_, labelCounter_};
}

void CCofran::Restore(const WriterSnapshot& s)
{
    whead_ = s.head;
    wtail_ = s.tail;
    versions_ = s.versions;
    labels_ = s.labels;
    names_ = s.names;
    nameNumber_ = s.nameNumber;
    labelCounter_ = s.labelCounter;
}

unsigned long CCofran::BeginBackup(const wchar_t* path, unsigned long mode, const _KS_FILTERS_HEAD* filters,
                                   const wchar_t* comment, unsigned long level, unsigned long splitMiB)
{
    if (path == nullptr || level > kHighestLevel)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!writerOpen_ || writing_)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    if (filters != nullptr && (filters->Tag == KS_FILTERS_MAGIC || filters->Length < sizeof(_KS_FILTERS_HEAD)))
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (std::wcslen(path) >= KS_PATH_CHARS)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    if (splitMiB != 0 && splitMiB < kSmallestSplitMiB)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    const bool continues = wtail_.EndState != 0 && wtail_.EndState != KS_TAIL_SET_COMPLETE;
    const unsigned long use = mode & KS_BEGIN_USE_MASK;
    if (!continues && use > 2)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    const bool discSet = (mode & KS_BEGIN_DISC_SET) != 0;

    const WriterSnapshot before = Snapshot();
    beginMode_ = mode;
    splitSize_ = splitMiB == 0 ? kDefaultSplit : uint64_t(splitMiB) * 1048576u;
    if ((mode & KS_BEGIN_KEEP_LEVEL) == 0) {
        whead_.Level = static_cast<uint8_t>(level);
        if (level > 0)
            whead_.Flags |= KS_FLAG_COMPRESS_ALL;
        else
            whead_.Flags &= ~uint32_t(KS_FLAG_COMPRESS_ALL);
    }
    if ((mode & KS_BEGIN_SAME_DISC) == 0)
        ++labelCounter_;
    TakeTime(whead_.Time);

    unsigned long rc = 0;
    auto newLabel = [&]() {
        _KS_CDINFO label;
        std::memset(&label, 0, sizeof label);
        label.Index = static_cast<uint32_t>(labels_.size());
        label.FirstFile = whead_.FileNumber;
        label.FileCount = 1;
        Utf16Text::ToUtf16(ImageNaming::DiscLabel(labelPrefix_, labelCounter_), label.Label, KS_LABEL_UNITS);
        labels_.push_back(label);
    };
    if (continues) {
        // The next file of the same backup run.
        ++whead_.FileNumber;
        if (versions_.empty()) {
            Restore(before);
            return COFRAN_FAIL(KS_KIND_NOT_OPEN);
        }
        ++versions_.back().FileCount;
        if (discSet) {
            if (labelCounter_ > labels_.size()) {
                if (labelCounter_ != labels_.size() + 1) {
                    Restore(before);
                    return COFRAN_FAIL(KS_KIND_LABEL_JUMP);
                }
                newLabel();
                ++versions_.back().DiscCount;
            } else if (!labels_.empty()) {
                ++labels_.back().FileCount;
            }
        }
    } else {
        // A new set, or a new version appended to a complete one.
        const bool appending = wtail_.EndState == KS_TAIL_SET_COMPLETE;
        if (appending) {
            ++whead_.FileNumber;
            ++whead_.VersionIndex;
        }
        if (discSet) {
            if ((mode & KS_BEGIN_SAME_DISC) != 0 && !labels_.empty())
                ++labels_.back().FileCount;
            else
                newLabel();
        }
        if (use == 0) {
            if ((mode & KS_BEGIN_ENCRYPT) != 0 && passwordLength_ > 0) {
                whead_.Flags |= KS_FLAG_ENCRYPT_DATA | KS_FLAG_ENCRYPT_INDEX | KS_FLAG_ENCRYPT_FILTERS;
                whead_.CipherMode = AesCipher::ModeCbc;
                MakePasswordDigest(password_, sizeof password_, passwordLength_, whead_.PasswordDigest);
            } else {
                whead_.Flags &= ~uint32_t(KS_FLAG_ENCRYPT_ALL);
                std::memset(whead_.PasswordDigest, 0, sizeof whead_.PasswordDigest);
            }
            whead_.ModeBits = static_cast<uint8_t>(mode & 0xF0);
        }
        _KS_VERSION v;
        std::memset(&v, 0, sizeof v);
        v.Index = static_cast<uint32_t>(versions_.size());
        v.FirstFile = whead_.FileNumber;
        v.FileCount = 1;
        v.Flags = whead_.Flags;
        // A version appended with use 1 or 2 builds on the versions before it (its
        // blocks may refer to their data): its chain bit says they are needed.
        if (appending && use == 1)
            v.Flags |= KS_VERSION_NEEDS_OLDER_1;
        else if (appending && use == 2)
            v.Flags |= KS_VERSION_NEEDS_OLDER_2;
        v.LabelIndex = static_cast<uint32_t>(labels_.size()) - 1; // 0xFFFFFFFF without labels
        v.DiscCount = discSet ? 1 : 0;
        v.Time = whead_.Time;
        versions_.push_back(v);
        wtail_.EndState = 0;
    }
    // Blobs under an encrypt bit need the key, and the key of the set: a set opened
    // without the password check and a wrong password would otherwise get data
    // that its own password cannot decrypt.
    if ((whead_.Flags & KS_FLAG_ENCRYPT_ALL) != 0) {
        unsigned char digest[16];
        if (passwordLength_ == 0 ||
            KSFailed(MakePasswordDigest(password_, sizeof password_, passwordLength_, digest)) ||
            std::memcmp(digest, whead_.PasswordDigest, sizeof digest) != 0) {
            Restore(before);
            return COFRAN_FAIL(KS_KIND_WRONG_PASSWORD);
        }
    }
    whead_.Base = wtail_.Base + wtail_.DataLength;
    whead_.NameNumber = nameNumber_;
    names_.push_back(_KS_IMGNAME_NO{whead_.FileNumber, nameNumber_, whead_.Base});

    if (!buffer_.Allocate()) {
        Restore(before);
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    }
    buffer_.Restart();
    if (!out_.Create(path, true)) {
        Restore(before);
        return COFRAN_FAIL(KS_KIND_CREATE_FAILED);
    }
    outPath_ = path;
    // The head and the directory are written before the data area starts.
    wtail_.DataStart = 0;
    wtail_.Base = whead_.Base;
    wtail_.DataLength = 0;
    rc = WriteDirectory(filters, comment);
    if (KSFailed(rc)) {
        out_.Close();
        DeleteFileW(path);
        Restore(before);
        return rc;
    }
    Utf16Text::ToUtf16(path, whead_.PrevPath, KS_HEAD_PATH_UNITS);
    writing_ = true;
    return 0;
}

unsigned long CCofran::WriteDirectory(const _KS_FILTERS_HEAD* filters, const wchar_t* comment)
{
    unsigned char head[KS_IMG_HEAD_SIZE];
    EncodeHead(whead_, head);
    unsigned long rc = WriteBytes(head, KS_IMG_HEAD_SIZE);
    if (KSFailed(rc))
        return rc;

    auto blob = [&](KSBlobGroup group, const unsigned char* raw, uint32_t rawSize, uint32_t& pos, uint32_t& rawOut,
                    uint32_t& storedOut) {
        pos = static_cast<uint32_t>(buffer_.Position());
        rawOut = rawSize;
        return WriteBlob(group, raw, rawSize, &storedOut);
    };

    const uint32_t filtersSize = filters != nullptr ? filters->Length : 0;
    if (KSFailed(rc = blob(KS_GROUP_FILTERS, reinterpret_cast<const unsigned char*>(filters), filtersSize,
                           wtail_.FiltersPos, wtail_.FiltersRaw, wtail_.FiltersStored)))
        return rc;

    // The comment is kept as UTF-16 with its NUL, the same on every platform.
    std::vector<unsigned char> commentRaw;
    if (comment != nullptr) {
        const std::u16string units = Utf16Text::ToUtf16(comment) + u'\0';
        commentRaw.resize(units.size() * 2);
        for (size_t i = 0; i < units.size(); ++i)
            StoreLE16(commentRaw.data() + 2 * i, units[i]);
    }
    if (KSFailed(rc = blob(KS_GROUP_FILTERS, commentRaw.data(), static_cast<uint32_t>(commentRaw.size()),
                           wtail_.CommentPos, wtail_.CommentRaw, wtail_.CommentStored)))
        return rc;

    const std::vector<unsigned char> labels = EncodeList<_KS_CDINFO, EncodeLabel>(labels_, KS_CDINFO_SIZE);
    wtail_.LabelCount = static_cast<uint32_t>(labels_.size());
    if (KSFailed(rc = blob(KS_GROUP_DIR, labels.data(), static_cast<uint32_t>(labels.size()), wtail_.LabelListPos,
                           wtail_.LabelListRaw, wtail_.LabelListStored)))
        return rc;
    const std::vector<unsigned char> versions = EncodeList<_KS_VERSION, EncodeVersion>(versions_, KS_VERSION_SIZE);
    if (KSFailed(rc = blob(KS_GROUP_DIR, versions.data(), static_cast<uint32_t>(versions.size()),
                           wtail_.VersionListPos, wtail_.VersionListRaw, wtail_.VersionListStored)))
        return rc;
    const std::vector<unsigned char> names = EncodeList<_KS_IMGNAME_NO, EncodeName>(names_, KS_IMGNAME_NO_SIZE);
    if (KSFailed(rc = blob(KS_GROUP_DIR, names.data(), static_cast<uint32_t>(names.size()), wtail_.NameListPos,
                           wtail_.NameListRaw, wtail_.NameListStored)))
        return rc;

    wtail_.DataStart = static_cast<uint32_t>(buffer_.Position());
    wtail_.Flags = whead_.Flags;
    wtail_.Base = whead_.Base;
    return 0;
}

unsigned long CCofran::WriteVolumeInfo(const _KS_VOLUME* volume, unsigned long size)
{
    if (volume == nullptr || size != KS_VOLUME_SIZE || volume->Magic != KS_VOLUME_MAGIC ||
        volume->BytesPerSector == 0 || volume->BytesPerSector % 512 != 0 || volume->SectorsPerCluster == 0)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!writing_)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    try {
        if (chunk_.empty())
            chunk_.assign(KS_INDEX_CHUNK_SIZE, 0);
        if (runIndex_.empty())
            runIndex_.assign(0x10000, 0);
        volumes_.reserve(volumes_.size() + 1);
    } catch (const std::bad_alloc&) {
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    }
    unsigned long rc;
    // Finish the previous volume: its last chunk, then its run index.
    if (chunkUsed_ > KS_INDX_HEAD_SIZE) {
        if (runUsed_ == 0)
            return COFRAN_FAIL(KS_KIND_NOT_OPEN);
        if (KSFailed(rc = CloseIndexChunk()))
            return rc;
    }
    if (RunIndexWanted() && !volumes_.empty() && KSFailed(rc = WriteRunIndex(volumes_.back())))
        return rc;

    _KS_VOLUME record = *volume;
    record.VolumeNumber = static_cast<uint16_t>(volumes_.size());
    volumes_.push_back(record);
    runUsed_ = 0;
    openEntryLive_ = false;
    std::memset(&rindHead_, 0, sizeof rindHead_);
    volumeInfoWritten_ = true;
    return 0;
}

bool CCofran::RunIndexWanted() const
{
    // A run index that holds only its head is still written when it points at
    // stored pre-volume sectors: without it they could not be found again.
    return runUsed_ > KS_RIND_HEAD_SIZE || (runUsed_ == KS_RIND_HEAD_SIZE && rindHead_.PreSectors != 0);
}

unsigned long CCofran::WriteRunIndex(_KS_VOLUME& volume)
{
    KSRindHeadToBytes(rindHead_, runIndex_.data());
    const uint64_t at = StreamPosition();
    // Run indexes are never compressed or encrypted.
    const unsigned long rc = WriteBytes(runIndex_.data(), runUsed_);
    if (KSFailed(rc))
        return rc;
    volume.RunIndexOffset = at;
    volume.RunIndexRawSize = runUsed_;
    volume.RunIndexStoredSize = runUsed_;
    return 0;
}

unsigned long CCofran::EndBackup(unsigned long more)
{
    if (!writing_ || !buffer_.Allocated())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    closing_ = true;
    unsigned long rc = 0;
    if (chunkUsed_ > KS_INDX_HEAD_SIZE) {
        if (runUsed_ == 0) {
            closing_ = false;
            return COFRAN_FAIL(KS_KIND_NOT_OPEN);
        }
        rc = CloseIndexChunk();
    }
    if (KSSucceeded(rc) && RunIndexWanted() && !volumes_.empty())
        rc = WriteRunIndex(volumes_.back());
    const _KS_IMG_TAIL before = wtail_;
    if (KSSucceeded(rc)) {
        wtail_.DataLength = buffer_.Position() - wtail_.DataStart;
        KSSetTailVolumeListPos(wtail_, buffer_.Position());
        const std::vector<unsigned char> volumes = EncodeList<_KS_VOLUME, EncodeVolume>(volumes_, KS_VOLUME_SIZE);
        wtail_.VolumeListRaw = static_cast<uint32_t>(volumes.size());
        rc = WriteBlob(KS_GROUP_DIR, volumes.data(), wtail_.VolumeListRaw, &wtail_.VolumeListStored);
    }
    if (KSSucceeded(rc)) {
        if (more != 0)
            wtail_.Flags |= KS_FLAG_CONTINUES;
        else
            wtail_.EndState = KS_TAIL_SET_COMPLETE;
        unsigned char tail[KS_IMG_TAIL_SIZE];
        EncodeTail(wtail_, tail);
        rc = WriteBytes(tail, KS_IMG_TAIL_SIZE);
    }
    if (KSSucceeded(rc))
        rc = buffer_.Finish(out_, outPath_.c_str());
    closing_ = false;
    if (KSFailed(rc)) {
        wtail_ = before;
        return rc;
    }
    out_.Close();
    writing_ = false;
    ++nameNumber_;
    // After the last file the state stays "complete", so that the next BeginBackup
    // appends a new version with new file numbers.
    if (more != 0)
        ++wtail_.EndState;
    else
        FreeWriterRun();
    return 0;
}

void CCofran::FreeWriterRun()
{
    std::vector<unsigned char>().swap(chunk_);
    std::vector<unsigned char>().swap(runIndex_);
    std::vector<_KS_VOLUME>().swap(volumes_);
    buffer_.Free();
    chunkUsed_ = 0;
    runUsed_ = 0;
    openEntryLive_ = false;
    std::memset(&rindHead_, 0, sizeof rindHead_);
    volumeInfoWritten_ = false;
}

void CCofran::ResetWriter()
{
    FreeWriterRun();
    out_.Close();
    writing_ = false;
    closing_ = false;
    versions_.clear();
    labels_.clear();
    names_.clear();
    std::memset(&whead_, 0, sizeof whead_);
    std::memset(&wtail_, 0, sizeof wtail_);
    beginMode_ = 0;
    splitSize_ = 0;
}
