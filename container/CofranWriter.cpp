// The writer's files: beginning each file of a run (the set's first file, the next
// file of the run, or a new version), ending it, and the state a refusal restores.
#include "CofranWriter.h"

#include <cstring>
#include <cwchar>

#include "CofranResult.h"
#include "ImageEnds.h"
#include "ImageNaming.h"
#include "PasswordKey.h"
#include "Utf16Text.h"

namespace {

constexpr uint64_t kDefaultSplit = 0xFFF00000ull;
constexpr unsigned long kSmallestSplitMiB = 50;
constexpr unsigned long kHighestLevel = 9;

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

} // namespace

CofranWriter::CofranWriter(CofranSession& session, ImageFileReader& file) : session_(session), file_(file)
{
    std::memset(&whead_, 0, sizeof whead_);
    std::memset(&wtail_, 0, sizeof wtail_);
    std::memset(&rindHead_, 0, sizeof rindHead_);
    std::memset(&openEntry_, 0, sizeof openEntry_);
}

CofranWriter::Snapshot CofranWriter::Save() const
{
    return Snapshot{whead_, wtail_, versions_, labels_, names_, nameNumber_, labelCounter_};
}

void CofranWriter::Restore(const Snapshot& s)
{
    whead_ = s.head;
    wtail_ = s.tail;
    versions_ = s.versions;
    labels_ = s.labels;
    names_ = s.names;
    nameNumber_ = s.nameNumber;
    labelCounter_ = s.labelCounter;
}

unsigned long CofranWriter::CheckBegin(const wchar_t* path, unsigned long mode, const _KS_FILTERS_HEAD* filters,
                                       unsigned long level, unsigned long splitMiB) const
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
    if (!continues && (mode & KS_BEGIN_USE_MASK) > 2)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    return 0;
}

unsigned long CofranWriter::BeginBackup(const wchar_t* path, unsigned long mode, const _KS_FILTERS_HEAD* filters,
                                        const wchar_t* comment, unsigned long level, unsigned long splitMiB)
{
    unsigned long rc = CheckBegin(path, mode, filters, level, splitMiB);
    if (KSFailed(rc))
        return rc;
    const bool continues = wtail_.EndState != 0 && wtail_.EndState != KS_TAIL_SET_COMPLETE;
    const Snapshot before = Save();
    beginMode_ = mode;
    pipeline_.SetWorkers((mode & KS_BEGIN_WORKERS_MASK) >> KS_BEGIN_WORKERS_SHIFT);
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

    if (continues)
        rc = ContinueRun(mode);
    else
        StartVersion(mode);
    // Blobs under an encrypt bit need the key, and the key of the set: a set opened
    // without the password check and a wrong password would otherwise get data
    // that its own password cannot decrypt.
    if (KSSucceeded(rc) && (whead_.Flags & KS_FLAG_ENCRYPT_ALL) != 0 && !session_.PasswordMatches(whead_.PasswordDigest))
        rc = COFRAN_FAIL(KS_KIND_WRONG_PASSWORD);
    if (KSSucceeded(rc)) {
        whead_.Base = wtail_.Base + wtail_.DataLength;
        whead_.NameNumber = nameNumber_;
        names_.push_back(_KS_IMGNAME_NO{whead_.FileNumber, nameNumber_, whead_.Base});
        rc = CreateRunFile(path, filters, comment);
    }
    if (KSFailed(rc)) {
        Restore(before);
        return rc;
    }
    return 0;
}

void CofranWriter::NewLabel()
{
    _KS_CDINFO label;
    std::memset(&label, 0, sizeof label);
    label.Index = static_cast<uint32_t>(labels_.size());
    label.FirstFile = whead_.FileNumber;
    label.FileCount = 1;
    CofranText text;
    const bool named = ImageNaming::DiscLabel(labelPrefix_.c_str(), labelCounter_, text);
    Utf16Text::ToUtf16(named ? text.c_str() : labelPrefix_.c_str(), label.Label, KS_LABEL_UNITS);
    labels_.push_back(label);
}

unsigned long CofranWriter::ContinueRun(unsigned long mode)
{
    // The next file of the same backup run.
    ++whead_.FileNumber;
    if (versions_.empty())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    ++versions_.back().FileCount;
    if ((mode & KS_BEGIN_DISC_SET) == 0)
        return 0;
    if (labelCounter_ > labels_.size()) {
        if (labelCounter_ != labels_.size() + 1)
            return COFRAN_FAIL(KS_KIND_LABEL_JUMP);
        NewLabel();
        ++versions_.back().DiscCount;
    } else if (!labels_.empty()) {
        ++labels_.back().FileCount;
    }
    return 0;
}

void CofranWriter::StartVersion(unsigned long mode)
{
    // A new set, or a new version appended to a complete one.
    const unsigned long use = mode & KS_BEGIN_USE_MASK;
    const bool discSet = (mode & KS_BEGIN_DISC_SET) != 0;
    const bool appending = wtail_.EndState == KS_TAIL_SET_COMPLETE;
    if (appending) {
        ++whead_.FileNumber;
        ++whead_.VersionIndex;
    }
    if (discSet) {
        if ((mode & KS_BEGIN_SAME_DISC) != 0 && !labels_.empty())
            ++labels_.back().FileCount;
        else
            NewLabel();
    }
    if (use == 0) {
        if ((mode & KS_BEGIN_ENCRYPT) != 0 && session_.passwordLength > 0) {
            whead_.Flags |= KS_FLAG_ENCRYPT_DATA | KS_FLAG_ENCRYPT_INDEX | KS_FLAG_ENCRYPT_FILTERS;
            whead_.CipherMode = AesCipher::ModeCbc;
            MakePasswordDigest(session_.password, sizeof session_.password, session_.passwordLength,
                               whead_.PasswordDigest);
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

unsigned long CofranWriter::CreateRunFile(const wchar_t* path, const _KS_FILTERS_HEAD* filters,
                                          const wchar_t* comment)
{
    if (!buffer_.Allocate())
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    buffer_.Restart();
    if (!out_.Create(path, true))
        return COFRAN_FAIL(KS_KIND_CREATE_FAILED);
    outPath_ = path;
    // The head and the directory are written before the data area starts.
    wtail_.DataStart = 0;
    wtail_.Base = whead_.Base;
    wtail_.DataLength = 0;
    const unsigned long rc = WriteDirectory(filters, comment);
    if (KSFailed(rc)) {
        out_.Close();
        DeleteFileW(path);
        return rc;
    }
    Utf16Text::ToUtf16(path, whead_.PrevPath, KS_HEAD_PATH_UNITS);
    writing_ = true;
    return 0;
}

unsigned long CofranWriter::EndBackup(unsigned long more)
{
    if (!writing_ || !buffer_.Allocated())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    unsigned long rc = Drain();
    if (KSFailed(rc))
        return rc;
    closing_ = true;
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
    if (KSSucceeded(rc))
        rc = WriteVolumeList();
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

void CofranWriter::FreeWriterRun()
{
    pipeline_.Discard();
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

void CofranWriter::ResetWriter()
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
