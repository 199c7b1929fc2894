#include "CSelectVolumeLogic.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "CdChangeInfo.h"
#include "ChkImgRunState.h"
#include "ChkImgTexts.h"
#include "IChkImgWizard.h"
#include "ITasque.h"
#include "IWizardMessages.h"
#include "ImageFileTexts.h"
#include "MessageBoxContents.h"
#include "MsgLib.h"
#include "RecoveryEnv.h"
#include "KSResult.h"
#include "WizardText.h"

const unsigned long CSelectVolumeLogic::kNoVersion = KS_RESULT(KS_MODULE_CHECKER, 0x601);

bool ChkImgWidePath(const std::string& path, std::vector<wchar_t>& out)
{
    std::setlocale(LC_ALL, "");
    out.assign(521, L'\0');
    const size_t n = std::mbstowcs(out.data(), path.c_str(), 520);
    if (n == static_cast<size_t>(-1))
        return false;
    out[520] = L'\0';
    return true;
}

std::string ChkImgMessageText(unsigned long code)
{
    char text[2048] = {};
    if (!ZeFormatFullMessage(static_cast<unsigned int>(code), sizeof text, text))
        return std::string();
    return ToDisplayText(text);
}

namespace {

bool IsDiscPath(const std::string& path)
{
    return path.find("/mnt/CD") != std::string::npos;
}

} // namespace

CSelectVolumeLogic::CSelectVolumeLogic(IChkImgWizard& wizard, IWizardMessages& messages, ChkImgRunState& run,
                                       ITasque* tasque, std::function<std::string(unsigned long)> messageText)
    : wizard_(wizard), messages_(messages), run_(run), tasque_(tasque), messageText_(std::move(messageText))
{
    if (!messageText_)
        messageText_ = &ChkImgMessageText;
    if (tasque_ != nullptr)
        tasque_->CheckSetPromptCall(&CSelectVolumeLogic::ChangeBackCall, this);
}

CSelectVolumeLogic::~CSelectVolumeLogic()
{
    ClearVolumes();
}

void CSelectVolumeLogic::ClearVolumes()
{
    for (_KS_VOLUME* v : volumes_)
        delete v;
    volumes_.clear();
}

void CSelectVolumeLogic::NoteError(unsigned long code, bool show)
{
    run_.versionErrorText = ChkImgTexts::CutToBytes("  " + messageText_(code), 511);
    if (show)
        messages_.Show("Error", GTK_MB_ICON_ERROR, GTK_MB_OK, run_.versionErrorText);
    wizard_.EnableNextBtn(0);
}

bool CSelectVolumeLogic::HasPassword(const std::string& path)
{
    std::vector<wchar_t> wide;
    if (!ChkImgWidePath(path, wide))
        return false;
    const bool locked = tasque_->CheckIsPwdProtect(wide.data()) == 1;
    if (locked && passwordAccepted_)
        SendPassword(password_);
    return locked;
}

unsigned long CSelectVolumeLogic::SendPassword(const std::wstring& password)
{
    std::vector<wchar_t> text(password.begin(), password.end());
    text.push_back(L'\0');
    // The length goes in bytes (characters x sizeof(wchar_t)), as the container
    // takes it and the checker expects it.
    return tasque_->CheckSetPassword(text.data(), static_cast<unsigned long>(password.size() * sizeof(wchar_t)));
}

bool CSelectVolumeLogic::GetVer(const std::string& path, bool showError)
{
    run_.cancelFromCD = false;
    if (HasPassword(path) && !passwordAccepted_)
        return true;
    std::vector<wchar_t> wide;
    if (!ChkImgWidePath(path, wide)) {
        NoteError(kNoVersion, showError);
        return false;
    }
    int count = 0;
    unsigned long result = tasque_->CheckGetImageVersions(nullptr, 0, &count, wide.data());
    if (result != 0) {
        NoteError(result, showError);
        return false;
    }
    // A set that lists no version cannot be checked: shown as one that cannot be read.
    if (count <= 0) {
        NoteError(kNoVersion, showError);
        return false;
    }
    std::vector<_KS_VERSION> versions(static_cast<size_t>(count));
    int fetched = count;
    result = tasque_->CheckGetImageVersions(versions.data(), static_cast<unsigned long>(count), &fetched,
                                            wide.data());
    if (result != 0) {
        NoteError(result, showError);
        return false;
    }
    if (fetched <= 0) {
        NoteError(kNoVersion, showError);
        return false;
    }
    version_ = versions[0];
    return true;
}

void CSelectVolumeLogic::MakeSureLastCD(const std::string& path, const std::function<void()>& refreshDisc)
{
    if (!IsDiscPath(path))
        return;
    std::vector<wchar_t> wide;
    if (!ChkImgWidePath(path, wide))
        return;
    int count = 0;
    if (tasque_->CheckGetImageVersions(nullptr, 0, &count, wide.data()) != 0 || count != 0)
        return;
    if (messages_.Show("Question", GTK_MB_ICON_QUESTION, GTK_MB_YESNO, kInsertLast) != DLG_RESULT_OK)
        return;
    EjectCD(path.c_str());
    const int answer = messages_.Show("Question", GTK_MB_ICON_QUESTION, GTK_MB_YESNO, kConfirmLast);
    UpdateCD();
    if (answer != DLG_RESULT_OK)
        return;
    if (refreshDisc)
        refreshDisc();
    tasque_->CheckGetImageVersions(nullptr, 0, &count, wide.data());
}

CSelectVolumeLogic::Outcome CSelectVolumeLogic::Choose(const std::string& path, bool fromBrowser)
{
    if (!HasImageExtension(path))
        return Outcome::Ignored;
    TagChkImgInfo& info = *wizard_.GetParam();
    // A path the wizard's field cannot hold is refused rather than cut: a cut path
    // would name another file.
    if (!ChkImgTexts::CopyPath(path, info.szImagePath, sizeof info.szImagePath))
        return Outcome::TooLong;
    wizard_.EnableNextBtn(0);
    passwordAccepted_ = false;
    password_.clear();
    version_ = _KS_VERSION{};
    bool ok = GetVer(path, false);
    Outcome outcome = Outcome::Failed;
    if (ok) {
        if (HasPassword(path)) {
            outcome = Outcome::Protected;
        } else {
            if (fromBrowser)
                MakeSureLastCD(path);
            ok = GetVer(path, false);
            outcome = ok ? Outcome::Listed : Outcome::Failed;
        }
    }
    if (outcome == Outcome::Failed && fromBrowser)
        messages_.Show("Error", GTK_MB_ICON_ERROR, GTK_MB_OK, run_.versionErrorText);
    uint32_t key[2];
    std::memcpy(key, reinterpret_cast<const unsigned char*>(&version_) + 24, sizeof key);
    info.versionKey[0] = key[0];
    info.versionKey[1] = key[1];
    std::vector<wchar_t> wide;
    if (ChkImgWidePath(path, wide))
        tasque_->CheckSetImgInfo(&version_, wide.data());
    return outcome;
}

bool CSelectVolumeLogic::Confirm(const std::wstring& password)
{
    if (SendPassword(password) != 1) {
        messages_.Show("Error", GTK_MB_ICON_ERROR, GTK_MB_OK, kWrongPassword);
        return false;
    }
    password_ = password;
    passwordAccepted_ = true;
    const std::string path = wizard_.GetParam()->szImagePath;
    MakeSureLastCD(path);
    if (!GetVer(path, true))
        return false;
    std::vector<wchar_t> wide;
    if (ChkImgWidePath(path, wide))
        tasque_->CheckSetImgInfo(&version_, wide.data());
    return true;
}

unsigned long CSelectVolumeLogic::ChangeBackCall(void* context, unsigned long message, void* data)
{
    if (context == nullptr)
        return kNotHandled;
    return static_cast<CSelectVolumeLogic*>(context)->OnPrompt(message, data);
}

unsigned long CSelectVolumeLogic::OnPrompt(unsigned long message, const void* data)
{
    if ((message != CD_CHANGE_MSG_DISC && message != CD_CHANGE_MSG_FILE) || data == nullptr)
        return kNotHandled;
    CD_CHANGE_INFO request;
    std::memcpy(&request, data, sizeof request);
    request.Name[CD_CHANGE_NAME_CHARS - 1] = L'\0';
    std::setlocale(LC_ALL, "");
    char name[520] = {};
    if (std::wcstombs(name, request.Name, sizeof name - 1) == static_cast<size_t>(-1))
        name[0] = '\0';
    EjectCD(wizard_.GetParam()->szImagePath);
    const char* title = message == CD_CHANGE_MSG_DISC ? "Change CD" : "Change File";
    const int answer = messages_.Show(title, GTK_MB_ICON_INFORMATION, GTK_MB_YESNO, ToDisplayText(name));
    UpdateCD();
    if (answer != DLG_RESULT_OK) {
        run_.cancelFromCD = true;
        return kRefused;
    }
    return 0;
}

void CSelectVolumeLogic::OnNextClicked(const std::vector<_KS_VOLUME>& ticked)
{
    ClearVolumes();
    for (const _KS_VOLUME& v : ticked)
        volumes_.push_back(new _KS_VOLUME(v));
    TagChkImgInfo& info = *wizard_.GetParam();
    info.pVolumes = &volumes_;
    info.nVolumeCount = static_cast<uint32_t>(volumes_.size());
    info.pTasque = tasque_;
    wizard_.OnNext();
}

void CSelectVolumeLogic::OnQuitClicked(const std::string& entryText)
{
    if (!entryText.empty())
        run_.rememberedPath = ChkImgTexts::CutToBytes(FromDisplayText(entryText, 1040), 511);
    wizard_.DestoryDlg();
}

void CSelectVolumeLogic::OnVolumesTicked(int count)
{
    wizard_.EnableNextBtn(count > 0 ? 1 : 0);
}
