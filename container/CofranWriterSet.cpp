// Opening a set for backup (a new one, or a complete one to append a version to),
// forgetting it, and the names of the run's next file and disc.
#include "CofranWriter.h"

#include <cstring>
#include <cwchar>

#include "CofranResult.h"
#include "ImageEnds.h"
#include "ImageNaming.h"
#include "KSGuid.h"
#include "SetFileSpelling.h"
#include "Utf16Text.h"

namespace {

constexpr uint32_t kMaxNameProbes = 100000;

} // namespace

bool CofranWriter::NoImageEndsAt(const wchar_t* path)
{
    // Nothing to read there, or too little for a head and a tail.
    CofranFile file;
    uint64_t size = 0;
    return !file.OpenRead(path) || !file.Size(&size) || size < KS_IMG_HEAD_SIZE + KS_IMG_TAIL_SIZE;
}

unsigned long CofranWriter::OpenSet(const wchar_t* path)
{
    if (std::wcslen(path) >= KS_PATH_CHARS)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    ResetWriter();
    if (!ImageNaming::SplitSetPath(path, session_.folder, session_.baseName))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);

    CofranFile probe;
    _KS_IMG_HEAD head;
    _KS_IMG_TAIL tail;
    const unsigned long ends = OpenImageEnds(probe, path, &head, &tail);
    if (KSFailed(ends) && !NoImageEndsAt(path)) {
        // A file that holds a head and a tail but not valid ones is refused: taking
        // it for a new set would let BeginBackup overwrite it.
        return ends;
    }
    if (KSFailed(ends)) {
        GUID id;
        if (KSFailed(KSCreateGuid(&id)))
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        StartNewSet();
        std::memcpy(whead_.SetId, &id, 16);
    } else {
        probe.Close();
        const unsigned long rc = AppendTo(path, head, tail);
        if (KSFailed(rc))
            return rc;
    }
    labelPrefix_.assign(session_.baseName.c_str(), session_.baseName.size() < 8 ? session_.baseName.size() : 8);
    writerOpen_ = true;
    return 0;
}

void CofranWriter::StartNewSet()
{
    std::memset(&whead_, 0, sizeof whead_);
    whead_.Magic = KS_IMG_MAGIC;
    whead_.HeadSize = KS_IMG_HEAD_SIZE;
    whead_.Version = KS_IMG_VERSION;
    std::memset(&wtail_, 0, sizeof wtail_);
    wtail_.Magic = KS_IMG_MAGIC;
    wtail_.Version = KS_IMG_VERSION;
    wtail_.TailSize = KS_IMG_TAIL_SIZE;
    nameNumber_ = 0;
    labelCounter_ = 0;
    Utf16Text::ToUtf16(session_.baseName.c_str(), whead_.BaseName, KS_BASE_NAME_UNITS);
}

unsigned long CofranWriter::AppendTo(const wchar_t* path, const _KS_IMG_HEAD& head, const _KS_IMG_TAIL& tail)
{
    // Only a complete set takes a new version.
    if (tail.EndState != KS_TAIL_SET_COMPLETE)
        return COFRAN_FAIL(KS_KIND_SET_INCOMPLETE);
    unsigned long rc = file_.Open(path);
    if (KSFailed(rc))
        return rc;
    CofranBuffer<_KS_VERSION> versions;
    CofranBuffer<_KS_CDINFO> labels;
    CofranBuffer<_KS_IMGNAME_NO> names;
    if (KSFailed(rc = file_.LoadVersions(versions)) || KSFailed(rc = file_.LoadLabels(labels)) ||
        KSFailed(rc = file_.LoadNames(names))) {
        file_.Close();
        return rc;
    }
    whead_ = head;
    wtail_ = tail;
    whead_.HeadSize = KS_IMG_HEAD_SIZE;
    whead_.Version = KS_IMG_VERSION;
    wtail_.TailSize = KS_IMG_TAIL_SIZE;
    wtail_.Version = KS_IMG_VERSION;
    if (!Utf16Text::FromUtf16(head.BaseName, KS_BASE_NAME_UNITS, session_.baseName)) {
        file_.Close();
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    }
    // The next file's predecessor is the file opened here.
    Utf16Text::ToUtf16(path, whead_.PrevPath, KS_HEAD_PATH_UNITS);
    nameNumber_ = head.NameNumber + 1;
    labelCounter_ = tail.LabelCount;
    versions_.assign(versions.begin(), versions.end());
    labels_.assign(labels.begin(), labels.end());
    names_.assign(names.begin(), names.end());
    return 0;
}

void CofranWriter::Close()
{
    if (writing_) {
        // An unfinished file keeps no tail: nothing claims it is complete.
        out_.Close();
        writing_ = false;
    }
    ResetWriter();
    codec_.Release();
    writerOpen_ = false;
    labelPrefix_.clear();
    nameNumber_ = 0;
    labelCounter_ = 0;
}

unsigned long CofranWriter::GetAvailableCofranName(wchar_t* out, unsigned long outChars)
{
    if (out == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!writerOpen_)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    for (uint32_t probes = 0; probes < kMaxNameProbes; ++probes) {
        CofranText name;
        if (!ImageNaming::FileName(session_.folder, session_.baseName, nameNumber_, name))
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        if (!SetFileSpelling::Exists(name.c_str()))
            return ImageNaming::CopyOut(name.c_str(), out, outChars) ? 0 : COFRAN_FAIL(KS_KIND_TOO_SMALL);
        ++nameNumber_;
    }
    return COFRAN_FAIL(KS_KIND_TOO_SMALL);
}

unsigned long CofranWriter::GetAvailableLabel(wchar_t* out, unsigned long outChars)
{
    if (out == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!writerOpen_)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    CofranText label;
    if (!ImageNaming::DiscLabel(labelPrefix_.c_str(), labelCounter_, label))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    return ImageNaming::CopyOut(label.c_str(), out, outChars) ? 0 : COFRAN_FAIL(KS_KIND_TOO_SMALL);
}
