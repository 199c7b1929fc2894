// The files of a set: finding its last file, listing the files a version needs,
// and the lookups from stream offsets and file numbers to names and disc labels.
#include <cstring>
#include <cwchar>
#include <new>

#include "CofranSetFiles.h"
#include "CofranResult.h"
#include "DirectoryLists.h"
#include "FolderScan.h"
#include "ImageEnds.h"
#include "ImageNaming.h"
#include "SetFileSpelling.h"
#include "Utf16Text.h"
#include "KSWideString.h"
#include "VersionChain.h"

namespace {

bool SameNameIgnoringCase(const CofranText& a, const CofranText& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (CompareWchar(a[i], b[i]) != 0)
            return false;
    return true;
}

// The folder a set's path is searched in ("./" when it names none); false without memory.
bool FolderForSearch(const wchar_t* path, CofranText& folder)
{
    CofranText base;
    if (!ImageNaming::SplitSetPath(path, folder, base))
        return false;
    return !folder.empty() || folder.assign(L"./");
}

// folder + name; false without memory.
bool Joined(const CofranText& folder, const CofranText& name, CofranText& path)
{
    return path.assign(folder) && path.append(name);
}

bool IsZeroGuid(const GUID* id)
{
    static const unsigned char zero[16] = {};
    return std::memcmp(id, zero, 16) == 0;
}

void FillImg(_KS_IMG& img, const _KS_IMG_HEAD& head, const _KS_IMG_TAIL& tail, const wchar_t* path)
{
    std::memset(&img, 0, sizeof img);
    img.VersionIndex = head.VersionIndex;
    img.FileNumber = head.FileNumber;
    img.Base = tail.Base;
    img.DataLength = tail.DataLength;
    ImageNaming::CopyOutCut(path, img.Path, KS_PATH_CHARS);
}

// The last entry of the file-name list whose base is not above offset.
const _KS_IMGNAME_NO* NameForOffset(const _KS_IMGNAME_NO* names, unsigned long count, unsigned long long offset)
{
    for (unsigned long i = count; i > 0; --i)
        if (names[i - 1].Base <= offset)
            return &names[i - 1];
    return nullptr;
}

} // namespace

unsigned long CofranSetFiles::FindLastFile(const wchar_t* asked, bool byNameNumber, CofranText& last)
{
    CofranText path;
    if (!SetFileSpelling::Existing(asked, path) || !last.assign(path))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    _KS_IMG_HEAD head;
    if (!ReadImageHead(path.c_str(), &head))
        return 0;
    CofranText folder;
    if (!FolderForSearch(path.c_str(), folder))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    CofranBuffer<CofranText> names;
    if (!ScanFolder(folder, names))
        return COFRAN_FAIL(KS_KIND_SEARCH_FAILED);
    // A copy of the set under another name may stand beside the files it was copied
    // from: of files with the same number, one named like the given file (same base)
    // wins over one named otherwise, so that a copy is never read as its original.
    CofranText ownBase;
    if (!ImageNaming::OwnBase(path, head.NameNumber, ownBase))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    uint32_t best = byNameNumber ? head.NameNumber : head.FileNumber;
    bool bestOwnName = true;
    CofranText candidate, candidateBase;
    for (const CofranText& name : names) {
        if (!Joined(folder, name, candidate))
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        _KS_IMG_HEAD other;
        if (!ReadImageHead(candidate.c_str(), &other) || std::memcmp(other.SetId, head.SetId, 16) != 0)
            continue;
        if (!ImageNaming::OwnBase(candidate, other.NameNumber, candidateBase))
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        const bool ownName = !ownBase.empty() && SameNameIgnoringCase(candidateBase, ownBase);
        const uint32_t number = byNameNumber ? other.NameNumber : other.FileNumber;
        if (number > best || (number == best && (ownName || !bestOwnName))) {
            best = number;
            bestOwnName = ownName;
            if (!last.assign(candidate))
                return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        }
    }
    return 0;
}

unsigned long CofranSetFiles::SearchLastCofran(const wchar_t* path, wchar_t* out, unsigned long outChars,
                                        unsigned long byNameNumber)
{
    if (path == nullptr || out == nullptr || ImageNaming::EndsWithSeparator(path))
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (std::wcslen(path) + 1 > outChars)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    CofranText last;
    const unsigned long rc = FindLastFile(path, byNameNumber != 0, last);
    if (KSFailed(rc))
        return rc;
    return ImageNaming::CopyOut(last.c_str(), out, outChars) ? 0 : COFRAN_FAIL(KS_KIND_TOO_SMALL);
}

unsigned long CofranSetFiles::GetBackupImg(_KS_IMG* list, unsigned long* count)
{
    if (count == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    GUID id;
    std::memcpy(&id, file_.Head().SetId, sizeof id);
    return GetBackupImg(id, nullptr, list, count, KS_SEARCH_SET);
}

unsigned long CofranSetFiles::GetBackupImg(GUID setId, const wchar_t* path, _KS_IMG* list, unsigned long* count,
                                    unsigned long searchMode)
{
    if (count == nullptr || (searchMode == KS_SEARCH_FOLDER && path == nullptr))
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (path == nullptr) {
        if (!file_.IsOpen())
            return COFRAN_FAIL(KS_KIND_NOT_OPEN);
        return ListSetFrom(file_.Path(), session_.folder, list, count);
    }
    if (std::wcslen(path) >= KS_PATH_CHARS)
        return COFRAN_FAIL(KS_KIND_PATH_TOO_LONG);

    uint8_t id[16];
    if (IsZeroGuid(&setId)) {
        if (ImageNaming::EndsWithSeparator(path))
            return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
        _KS_IMG_HEAD head;
        CofranText existing;
        if (!SetFileSpelling::Existing(path, existing))
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        if (!ReadImageHead(existing.c_str(), &head))
            return COFRAN_FAIL(KS_KIND_OPEN_FAILED);
        std::memcpy(id, head.SetId, 16);
    } else {
        std::memcpy(id, &setId, 16);
    }

    CofranText folder;
    if (!FolderForSearch(path, folder))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    CofranBuffer<CofranText> names;
    if (!ScanFolder(folder, names))
        return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
    unsigned long found = 0;
    CofranText candidate;
    for (const CofranText& name : names) {
        if (!Joined(folder, name, candidate))
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        CofranFile file;
        _KS_IMG_HEAD head;
        _KS_IMG_TAIL tail;
        if (KSFailed(OpenImageEnds(file, candidate.c_str(), &head, &tail)) || std::memcmp(head.SetId, id, 16) != 0)
            continue;
        if (searchMode != KS_SEARCH_FOLDER) {
            // The file asked about, when it is one of the set, rather than whichever
            // file of the set the folder lists first: a copy beside its original
            // must be listed from the copy.
            CofranText start, given;
            if (!SetFileSpelling::Existing(path, given))
                return COFRAN_FAIL(KS_KIND_NO_MEMORY);
            _KS_IMG_HEAD givenHead;
            const bool givenOfSet = !ImageNaming::EndsWithSeparator(path) &&
                                    ReadImageHead(given.c_str(), &givenHead) &&
                                    std::memcmp(givenHead.SetId, id, 16) == 0;
            if (!start.assign(givenOfSet ? given : candidate))
                return COFRAN_FAIL(KS_KIND_NO_MEMORY);
            CofranText last;
            const unsigned long rc = FindLastFile(start.c_str(), true, last);
            if (KSFailed(rc))
                return rc;
            return ListSetFrom(last, folder, list, count);
        }
        if (list != nullptr) {
            if (found >= *count)
                return COFRAN_FAIL(KS_KIND_TOO_SMALL);
            FillImg(list[found], head, tail, candidate.c_str());
        }
        ++found;
    }
    if (searchMode != KS_SEARCH_FOLDER)
        return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
    *count = found;
    return 0;
}

unsigned long CofranSetFiles::FindSetFile(const CofranText& folder, const CofranText* names, size_t nameCount,
                                          const CofranText& previousHeadPath, const uint8_t* setId,
                                          uint32_t fileNumber, CofranText& found, _KS_IMG_HEAD& head,
                                          _KS_IMG_TAIL& tail)
{
    // Whether a candidate is the wanted file; damaged is set when it is there but does
    // not read as a file (its head or tail spoilt), or reads as this set's file but
    // not the wanted one.
    auto accept = [&](CofranText& candidate, bool& damaged) {
        CofranFile file;
        const unsigned long opened = OpenImageEnds(file, candidate.c_str(), &head, &tail);
        if (KSFailed(opened)) {
            damaged = damaged || KSResultKind(opened) != KS_KIND_OPEN_FAILED;
            return false;
        }
        if (std::memcmp(head.SetId, setId, 16) != 0)
            return false; // a file of another set that happens to bear the name
        if (head.FileNumber != fileNumber) {
            damaged = true;
            return false;
        }
        found = static_cast<CofranText&&>(candidate);
        return true;
    };
    // A file of a wanted name that is there but damaged ends the search: a later name
    // or the folder the set records would give the original the copy was made from,
    // and a check or restore of the copy would read the original in its place.
    bool damaged = false;
    CofranBuffer<CofranText> listing;
    const bool listed = ScanFolder(folder, listing);
    CofranText candidate;
    for (size_t n = 0; n < nameCount; ++n) {
        const CofranText& name = names[n];
        if (name.empty())
            continue;
        if (!Joined(folder, name, candidate))
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        if (accept(candidate, damaged))
            return 0;
        if (listed)
            for (const CofranText& other : listing) {
                if (!SameNameIgnoringCase(other, name))
                    continue;
                if (!Joined(folder, other, candidate))
                    return COFRAN_FAIL(KS_KIND_NO_MEMORY);
                if (accept(candidate, damaged))
                    return 0;
            }
        if (damaged)
            return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
    }
    if (previousHeadPath.empty())
        return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
    if (!candidate.assign(previousHeadPath))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    return accept(candidate, damaged) ? 0 : COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
}

unsigned long CofranSetFiles::ListSetFrom(const CofranText& start, const CofranText& folder, _KS_IMG* list,
                                   unsigned long* count)
{
    CofranFile file;
    _KS_IMG_HEAD head;
    _KS_IMG_TAIL tail;
    if (KSFailed(OpenImageEnds(file, start.c_str(), &head, &tail)))
        return COFRAN_FAIL(KS_KIND_OPEN_FAILED);
    const BlobCodec::Settings settings = DirectoryLists::SettingsFor(head, &session_.cipher);
    CofranBuffer<_KS_VERSION> versions;
    CofranBuffer<_KS_IMGNAME_NO> names;
    unsigned long rc;
    if (KSFailed(rc = DirectoryLists::Versions(file, file_.Codec(), settings, tail, versions)) ||
        KSFailed(rc = DirectoryLists::Names(file, file_.Codec(), settings, tail, names)))
        return rc;
    file.Close();
    if (versions.empty()) {
        *count = 0;
        return 0;
    }
    const uint64_t needed = VersionChain::FileCount(versions.data(), versions.size() - 1);
    // Every needed file is named in the file-name list; a version list that claims
    // more is damaged, and callers size their lists by this count.
    if (needed > names.size())
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    if (needed == 0 || list == nullptr) {
        *count = static_cast<unsigned long>(needed);
        return 0;
    }
    if (*count < needed)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    const uint32_t chainFirstFile = versions[VersionChain::First(versions.data(), versions.size() - 1)].FirstFile;

    unsigned long filled = 0;
    CofranText path;
    if (!path.assign(start))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    uint8_t setId[16];
    std::memcpy(setId, head.SetId, 16);
    CofranText ownBase;
    if (!ImageNaming::OwnBase(start, head.NameNumber, ownBase))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    for (;;) {
        FillImg(list[filled++], head, tail, path.c_str());
        const bool chainStart = head.FileNumber <= chainFirstFile && (head.Flags & KS_FLAG_CHAIN) == 0;
        if (chainStart || filled >= needed || head.FileNumber == 0)
            break;
        const uint32_t wanted = head.FileNumber - 1;
        uint32_t nameNumber = 0;
        for (const _KS_IMGNAME_NO& n : names)
            if (n.FileNumber == wanted)
                nameNumber = n.NameNumber;
        // Named first as the files beside it are (a set copied or renamed as a whole),
        // then by the listed set's own base name (the object may hold another set open).
        CofranText headBase, names[2], previous, next;
        if (!Utf16Text::FromUtf16(head.BaseName, KS_BASE_NAME_UNITS, headBase) ||
            (!ownBase.empty() && !ImageNaming::FileName(CofranText(), ownBase, nameNumber, names[0])) ||
            !ImageNaming::FileName(CofranText(), headBase.empty() ? session_.baseName : headBase, nameNumber,
                                   names[1]) ||
            !Utf16Text::FromUtf16(head.PrevPath, KS_HEAD_PATH_UNITS, previous))
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        if (SameNameIgnoringCase(names[0], names[1]))
            names[0].clear();
        const unsigned long found = FindSetFile(folder, names, 2, previous, setId, wanted, next, head, tail);
        if (KSResultKind(found) == KS_KIND_NO_MEMORY)
            return found;
        if (KSFailed(found))
            break;
        path = static_cast<CofranText&&>(next);
    }
    *count = filled;
    return 0;
}

unsigned long CofranSetFiles::CheckCofranVer(const _KS_VERSION* version)
{
    if (version == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!file_.IsOpen())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    const unsigned long use = session_.Use();
    if (use != KS_OPEN_SEQUENTIAL && use != KS_OPEN_BACKUP && use != KS_OPEN_SEQUENTIAL_ALT)
        return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
    if (session_.DiscSet())
        return 0;
    CofranBuffer<_KS_VERSION> versions;
    unsigned long rc = file_.LoadVersions(versions);
    if (KSFailed(rc))
        return rc;
    size_t at = versions.size();
    for (size_t i = versions.size(); i > 0; --i)
        if (versions[i - 1].Index == version->Index) {
            at = i - 1;
            break;
        }
    if (at == versions.size())
        return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN); // no such version in this set
    const _KS_VERSION& v = versions[at];

    // Sized by the count the set's own lists give, never by a version record alone.
    unsigned long count = 0;
    if (KSFailed(rc = GetBackupImg(nullptr, &count)))
        return rc;
    CofranBuffer<_KS_IMG> files;
    if (!files.resize(count == 0 ? 1 : count))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    if (KSFailed(rc = GetBackupImg(files.data(), &count)))
        return rc;
    if (count < v.FileCount || v.FileCount == 0)
        return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
    const uint32_t lastFile = v.FirstFile + v.FileCount - 1;
    size_t from = count;
    for (size_t i = 0; i < count; ++i)
        if (files[i].FileNumber == lastFile) {
            from = i;
            break;
        }
    if (from == count)
        return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
    for (size_t i = from + 1; i < count; ++i)
        if (files[i].FileNumber + 1 != files[i - 1].FileNumber)
            return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
    return 0;
}

unsigned long CofranSetFiles::GetLabelNoFromOffset(const _KS_VERSION* versions, unsigned long versionCount,
                                            const _KS_CDINFO* labels, unsigned long labelCount,
                                            const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                            unsigned long long offset, unsigned long* labelIndex,
                                            unsigned long* fileNumber) const
{
    (void)versionCount;
    if (versions == nullptr || labels == nullptr || names == nullptr || labelIndex == nullptr || fileNumber == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    const _KS_IMGNAME_NO* name = NameForOffset(names, nameCount, offset);
    if (name == nullptr)
        return COFRAN_FAIL(KS_KIND_OTHER_FILE);
    for (unsigned long i = 0; i < labelCount; ++i) {
        const uint64_t first = labels[i].FirstFile;
        if (name->FileNumber >= first && name->FileNumber < first + labels[i].FileCount) {
            *labelIndex = labels[i].Index;
            *fileNumber = name->FileNumber;
            return 0;
        }
    }
    return COFRAN_FAIL(KS_KIND_OTHER_FILE);
}

unsigned long CofranSetFiles::GetCofranNameFromOffset(const _KS_VERSION* versions, unsigned long versionCount,
                                               const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                               unsigned long long offset, wchar_t* out, unsigned long outChars,
                                               unsigned long* fileNumber) const
{
    (void)versionCount;
    if (versions == nullptr || names == nullptr || out == nullptr || fileNumber == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    const _KS_IMGNAME_NO* name = NameForOffset(names, nameCount, offset);
    if (name == nullptr)
        return COFRAN_FAIL(KS_KIND_OTHER_FILE);
    CofranText path;
    if (!ImageNaming::FileName(session_.folder, session_.baseName, name->NameNumber, path))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    if (!ImageNaming::CopyOut(path.c_str(), out, outChars))
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);
    *fileNumber = name->FileNumber;
    return 0;
}

unsigned long CofranSetFiles::GetCofranNameFromCofranNo(const _KS_VERSION* versions, unsigned long versionCount,
                                                 const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                                 unsigned long long fileNumber, wchar_t* out, unsigned long outChars) const
{
    (void)versionCount;
    if (versions == nullptr || names == nullptr || out == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    for (unsigned long i = 0; i < nameCount; ++i)
        if (names[i].FileNumber == fileNumber) {
            CofranText path;
            if (!ImageNaming::FileName(session_.folder, session_.baseName, names[i].NameNumber, path))
                return COFRAN_FAIL(KS_KIND_NO_MEMORY);
            return ImageNaming::CopyOut(path.c_str(), out, outChars) ? 0 : COFRAN_FAIL(KS_KIND_TOO_SMALL);
        }
    return COFRAN_FAIL(KS_KIND_OTHER_FILE);
}
