// A set in a plain folder whose chosen version lacks a file: the user is asked for it
// by name before the version's chain of files is checked, the way the restore engine
// asks, instead of the run ending at once with a broken chain.
#include <windows.h>

#include "CImageCheck.h"
#include "CheckResult.h"

namespace {

// True when a file of that name lies in its folder, its letters in any case: the
// set's naming rule and the name a file was written or copied under may differ.
bool AnyCaseFileExists(const wchar_t* path)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

} // namespace

bool CImageCheck::IsListed(uint32_t fileNumber) const
{
    for (const _KS_IMG& file : files_)
        if (file.FileNumber == fileNumber)
            return true;
    return false;
}

unsigned long CImageCheck::EnsureVersionFiles()
{
    // Without a callback nobody can put a file back: the version check reports it.
    if (prompt_ == nullptr || chosenVersion_ < 0 || chosenVersion_ >= static_cast<int>(versions_.size()))
        return 0;
    const _KS_VERSION& version = versions_[static_cast<size_t>(chosenVersion_)];
    for (const _KS_IMGNAME_NO& entry : names_) {
        if (entry.FileNumber < version.FirstFile || entry.FileNumber - version.FirstFile >= version.FileCount)
            continue;
        const unsigned long rc = EnsureFileListed(entry.FileNumber);
        if (rc != 0)
            return rc;
    }
    return 0;
}

// Asks until the file is listed, the user refuses or cancels. A file that lies where
// the set's naming rule puts it but is not listed is damaged: asking for it would not
// help, and the version check reports it.
unsigned long CImageCheck::EnsureFileListed(uint32_t fileNumber)
{
    while (!IsListed(fileNumber)) {
        wchar_t name[KS_PATH_CHARS] = {};
        if (container_->GetCofranNameFromCofranNo(versions_.data(), static_cast<unsigned long>(versions_.size()),
                                                  names_.data(), static_cast<unsigned long>(names_.size()),
                                                  fileNumber, name, KS_PATH_CHARS) != 0)
            return 0;
        if (AnyCaseFileExists(name))
            return 0;
        unsigned long rc = PromptForFile(name);
        if (rc != 0)
            return rc;
        if (progress_.Cancelled())
            return KS_RESULT(KS_MODULE_CHECKER, CheckResult::KIND_CANCELLED);
        if ((rc = RebuildFileList()) != 0)
            return rc;
    }
    return 0;
}
