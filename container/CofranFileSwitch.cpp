// Moving the open image file to the file of the set that holds a stream offset,
// asking the caller for discs and files.
#include <cstring>

#include "CofranSetFiles.h"
#include "CofranResult.h"
#include "ImageNaming.h"

namespace {
constexpr unsigned long kSwitchRounds = 64;
// The set's files looked for in one folder (a disc) at a time.
constexpr size_t kFilesPerFolder = 64;

int DriveIndex(const CofranText& path)
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

unsigned long CofranSetFiles::LoadSwitchLists()
{
    if (listsLoaded_)
        return 0;
    unsigned long rc;
    if (KSFailed(rc = file_.LoadNames(names_)) || KSFailed(rc = file_.LoadLabels(labels_)))
        return rc;
    unsigned long count = 0;
    if (KSFailed(rc = GetBackupImg(nullptr, &count)))
        return rc;
    files_.clear();
    if (!files_.resize(count == 0 ? 1 : count))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    if (KSFailed(rc = GetBackupImg(files_.data(), &count)))
        return rc;
    if (!files_.resize(count))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    listsLoaded_ = true;
    return 0;
}

unsigned long CofranSetFiles::SwitchFor(uint64_t offset)
{
    if (file_.Holds(offset, 1))
        return 0;
    const unsigned long use = session_.Use();
    if (use == KS_OPEN_SEQUENTIAL || use == KS_OPEN_SEQUENTIAL_ALT)
        return COFRAN_FAIL(KS_KIND_OTHER_FILE);
    if (!session_.DiscSet()) {
        if (use == KS_OPEN_BACKUP)
            return COFRAN_FAIL(KS_KIND_OTHER_FILE);
        return OpenFileHolding(offset);
    }
    return SwitchOnDiscs(offset);
}

unsigned long CofranSetFiles::OpenFileHolding(uint64_t offset)
{
    if (file_.Holds(offset, 1))
        return 0;
    if (session_.DiscSet())
        return COFRAN_FAIL(KS_KIND_OTHER_FILE);
    unsigned long rc = LoadSwitchLists();
    if (KSFailed(rc))
        return rc;
    // An earlier file lists only the files before it: the rest are known from the
    // set's last file.
    for (int round = 0; round < 2; ++round) {
        for (const _KS_IMG& img : files_)
            if (offset >= img.Base && offset - img.Base < img.DataLength) {
                uint8_t setId[16];
                std::memcpy(setId, file_.Head().SetId, 16);
                const unsigned long opened = file_.Open(img.Path);
                if (KSFailed(opened))
                    return opened;
                if (std::memcmp(setId, file_.Head().SetId, 16) != 0 || !file_.Holds(offset, 1))
                    return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
                return 0;
            }
        if (round == 0 && KSFailed(rc = ListFilesFromLast()))
            return rc;
    }
    return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
}

unsigned long CofranSetFiles::ListFilesFromLast()
{
    CofranText last;
    unsigned long rc = FindLastFile(file_.Path().c_str(), true, last);
    if (KSFailed(rc))
        return rc;
    unsigned long count = 0;
    if (KSFailed(rc = ListSetFrom(last, session_.folder, nullptr, &count)))
        return rc;
    CofranBuffer<_KS_IMG> all;
    if (!all.resize(count == 0 ? 1 : count))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    if (KSFailed(rc = ListSetFrom(last, session_.folder, all.data(), &count)))
        return rc;
    if (!all.resize(count))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    files_.swap(all);
    return 0;
}

unsigned long CofranSetFiles::SwitchOnDiscs(uint64_t offset)
{
    if (session_.callback == nullptr)
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    unsigned long rc = LoadSwitchLists();
    if (KSFailed(rc))
        return rc;
    CofranText lastFolder;
    if (!lastFolder.assign(session_.folder))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    for (unsigned long round = 0; round < kSwitchRounds; ++round) {
        for (const _KS_IMG& img : files_)
            if (offset >= img.Base && offset - img.Base < img.DataLength) {
                if (KSSucceeded(file_.Open(img.Path)) && file_.Holds(offset, 1))
                    return 0;
            }
        const _KS_IMGNAME_NO* name = nullptr;
        for (size_t i = names_.size(); i > 0; --i)
            if (names_[i - 1].Base <= offset) {
                name = &names_[i - 1];
                break;
            }
        if (name == nullptr)
            return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
        GUID id;
        std::memcpy(&id, file_.Head().SetId, sizeof id);
        if (!labels_.empty()) {
            const _KS_CDINFO* label = nullptr;
            for (const _KS_CDINFO& l : labels_)
                if (name->FileNumber >= l.FirstFile && name->FileNumber - l.FirstFile < l.FileCount)
                    label = &l;
            if (label == nullptr)
                return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
            _KS_IMG_MSG_DISC msg;
            std::memset(&msg, 0, sizeof msg);
            msg.Kind = 2;
            msg.Drive = DriveIndex(file_.Path());
            CofranText number;
            if (!number.AppendNumber(uint64_t(label->Index) + 1))
                return COFRAN_FAIL(KS_KIND_NO_MEMORY);
            ImageNaming::CopyOutCut(number.c_str(), msg.DiscNumber, 64);
            file_.Close();
            if ((rc = session_.callback(session_.callbackContext, KS_IMG_MSG_INSERT_DISC, &msg)) != 0)
                return rc;
            CofranText pattern;
            if (!pattern.assign(lastFolder.empty() ? L"./" : lastFolder.c_str()) || !pattern.append(L'*'))
                return COFRAN_FAIL(KS_KIND_NO_MEMORY);
            if (KSFailed(rc = AddFolderFiles(id, pattern.c_str())))
                return rc;
        } else {
            _KS_IMG_MSG_FILE msg;
            std::memset(&msg, 0, sizeof msg);
            msg.FileNumber = name->FileNumber;
            CofranText path;
            if (!ImageNaming::FileName(session_.folder, session_.baseName, name->NameNumber, path))
                return COFRAN_FAIL(KS_KIND_NO_MEMORY);
            ImageNaming::CopyOutCut(path.c_str(), msg.Path, KS_PATH_CHARS);
            if ((rc = session_.callback(session_.callbackContext, KS_IMG_MSG_LOCATE_FILE, &msg)) != 0)
                return rc;
            if (KSFailed(rc = AddFolderFiles(id, path.c_str())))
                return rc;
        }
    }
    return COFRAN_FAIL(KS_KIND_CHAIN_BROKEN);
}

unsigned long CofranSetFiles::AddFolderFiles(const GUID& id, const wchar_t* path)
{
    CofranBuffer<_KS_IMG> found;
    if (!found.resize(kFilesPerFolder))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    unsigned long count = static_cast<unsigned long>(found.size());
    if (KSFailed(GetBackupImg(id, path, found.data(), &count, KS_SEARCH_FOLDER)))
        return 0; // nothing of the set there (yet): the caller asks again
    for (unsigned long i = 0; i < count; ++i)
        if (!files_.push_back(found[i]))
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    return 0;
}

void CofranSetFiles::Forget()
{
    files_.clear();
    names_.clear();
    labels_.clear();
    listsLoaded_ = false;
}
