#include "CImageSelectionLogic.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "ITasque.h"
#include "IWizard.h"
#include "IWizardMessages.h"
#include "ImageFileTexts.h"
#include "KSResult.h"
#include "MsgLib.h"
#include "RestorePagePosition.h"
#include "TagRestoreInfo.h"

namespace {

std::string LibraryText(unsigned long code)
{
    char text[2048] = {};
    ZeFormatFullMessage(static_cast<unsigned int>(code), sizeof(text), text);
    return text;
}

// The engine takes the path as wide text in a buffer of 520 characters.
bool WidePath(const std::string& path, std::vector<wchar_t>& out)
{
    out.assign(RESTORE_IMAGE_PATH_BYTES, L'\0');
    const size_t n = std::mbstowcs(out.data(), path.c_str(), out.size() - 1);
    return n != static_cast<size_t>(-1);
}

// An image set whose version list is empty cannot be restored from: the page treats
// it as a read failure.
const unsigned long kNoVersion = KS_RESULT(KS_MODULE_RESTORE, 0x601);

} // namespace

CImageSelectionLogic::CImageSelectionLogic(IWizard& wizard, IWizardMessages& messages,
                                           std::function<std::string(unsigned long)> messageText)
    : wizard_(wizard), messages_(messages), messageText_(messageText ? std::move(messageText) : LibraryText)
{
}

ITasque* CImageSelectionLogic::Tasque() const
{
    return wizard_.GetParam()->pTasque;
}

int64_t CImageSelectionLogic::FileBytes(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return -1;
    return int64_t(status.st_size);
}

void CImageSelectionLogic::Note(unsigned long code)
{
    messages_.Show("Note", 3, 0, messageText_(code));
    wizard_.EnableNextBtn(0);
}

CImageSelectionLogic::Outcome CImageSelectionLogic::Accept(const std::string& path, Source source)
{
    if (!HasAnyExtension(path))
        return Outcome::Ignored;
    if (!HasImageExtension(path)) {
        if (source == Source::BrowserRow) {
            wizard_.EnableNextBtn(0);
            return Outcome::Refused;
        }
        return Outcome::Ignored;
    }
    if (source == Source::Entry && FileBytes(path) < 0)
        return Outcome::Ignored;
    TagRestoreInfo* info = wizard_.GetParam();
    // The record's field holds 520 bytes: a longer path would be cut (and name
    // another file) or overrun it. Refused, the previous choice stays.
    if (path.size() >= sizeof(info->szImagePath)) {
        messages_.Show("Note", 3, 0, kPathTooLong);
        wizard_.EnableNextBtn(0);
        return Outcome::Refused;
    }
    passwordAccepted_ = false;
    info->SetImagePath(path.c_str());
    if (!GetVer(path))
        return Outcome::Failed;
    path_ = path;
    if (state_ == State::Protected)
        wizard_.EnableNextBtn(0);
    else
        wizard_.EnableNextBtn(1);
    return Outcome::Shown;
}

bool CImageSelectionLogic::GetVer(const std::string& path)
{
    std::vector<wchar_t> wide;
    if (!WidePath(path, wide)) {
        Note(kNoVersion);
        return false;
    }
    ITasque* tasque = Tasque();
    if (tasque->RestoreIsPwdProtect(wide.data()) == 1 && !passwordAccepted_) {
        state_ = State::Protected;
        return true;
    }
    unsigned long count = 0;
    unsigned long result = tasque->RestoreGetImageVersions(nullptr, 0, &count, wide.data());
    if (result != 0) {
        Note(result);
        return false;
    }
    if (count == 0) {
        Note(kNoVersion);
        return false;
    }
    std::vector<_KS_VERSION> versions(count);
    unsigned long fetched = count;
    result = tasque->RestoreGetImageVersions(versions.data(), count, &fetched, wide.data());
    if (result != 0) {
        Note(result);
        return false;
    }
    if (fetched == 0) {
        Note(kNoVersion);
        return false;
    }
    version_ = versions[0];
    state_ = State::Open;
    return true;
}

bool CImageSelectionLogic::Confirm(const std::wstring& password)
{
    std::vector<wchar_t> text(password.begin(), password.end());
    text.push_back(L'\0');
    const unsigned long bytes = static_cast<unsigned long>(password.size() * sizeof(wchar_t));
    if (Tasque()->RestoreSetPassword(text.data(), bytes) != 1) {
        messages_.Show("Information", 1, 0, kWrongPassword);
        return false;
    }
    passwordAccepted_ = true;
    if (!path_.empty() && GetVer(path_))
        wizard_.EnableNextBtn(1);
    return true;
}

std::string CImageSelectionLogic::Comment()
{
    std::vector<wchar_t> buffer(4096, L'\0');
    unsigned long length = 0;
    if (Tasque()->RestoreGetVerComment(buffer.data(), 4096, &length, &version_) != 0)
        return std::string();
    buffer.back() = L'\0';
    std::vector<char> text(4096 * 4 + 1, '\0');
    if (std::wcstombs(text.data(), buffer.data(), text.size() - 1) == static_cast<size_t>(-1))
        return std::string();
    return text.data();
}

void CImageSelectionLogic::InitPage()
{
    wizard_.EnableBackBtn(0);
}

int CImageSelectionLogic::UpDate()
{
    // The page held its own copy of the command object; the record keeps the same one.
    wizard_.GetParam()->pTasque = Tasque();
    wizard_.EnableBackBtn(1);
    return 0;
}

void CImageSelectionLogic::OnNextClicked()
{
    if (UpDate() != 0)
        return;
    wizard_.GetParam()->nLastPage = RESTORE_PAGE_IMAGE;
    wizard_.OnNext();
}
