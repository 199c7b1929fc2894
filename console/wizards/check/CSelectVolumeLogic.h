// The decisions of the check wizard's image and volume page: which chosen paths
// name an image set, whether the checker can list its versions, whether it asks for
// a password, the last-disc questions for a set on a disc, the checker's disc and
// file requests while the page is up, and what the page hands to the later pages.
// It talks to the checker through the command object it is given, to the frame
// through IChkImgWizard and to the user through IWizardMessages; the view draws.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "KSImageFormat.h"
#include "KSVolume.h"

class IChkImgWizard;
class ITasque;
class IWizardMessages;
struct ChkImgRunState;

class CSelectVolumeLogic {
public:
    enum class Outcome { Ignored, TooLong, Failed, Protected, Listed };

    // messageText gives a result code's full text for display (the message library's
    // when null).
    CSelectVolumeLogic(IChkImgWizard& wizard, IWizardMessages& messages, ChkImgRunState& run, ITasque* tasque,
                       std::function<std::string(unsigned long)> messageText = nullptr);

    // A chosen image path (a browser row or the file name entry). Ignored: not an
    // image set; TooLong: does not fit the wizard's path field; otherwise the versions
    // were read and the checker pointed at the image.
    Outcome Choose(const std::string& path, bool fromBrowser);

    bool HasPassword(const std::string& path);
    // Reads the first version of path; false (Next off, the error text kept, and
    // shown when showError) when the image cannot be read or lists no version.
    bool GetVer(const std::string& path, bool showError);
    // For a set on a disc that lists no version: asks for the last disc. refreshDisc
    // refreshes the browser's disc row after the user confirmed.
    void MakeSureLastCD(const std::string& path, const std::function<void()>& refreshDisc = nullptr);
    // The password of a protected image; true when the checker accepted it and the
    // version could be read.
    bool Confirm(const std::wstring& password);

    // The checker's prompt while this page is up (context: this logic).
    static unsigned long ChangeBackCall(void* context, unsigned long message, void* data);
    unsigned long OnPrompt(unsigned long message, const void* data);

    // Next: the ticked volumes, copied, go to the wizard's record with the version key.
    void OnNextClicked(const std::vector<_KS_VOLUME>& ticked);
    // Cancel: the path entry's text is remembered, then the wizard closes.
    void OnQuitClicked(const std::string& entryText);
    void OnVolumesTicked(int count);

    const _KS_VERSION& Version() const { return version_; }
    bool PasswordAccepted() const { return passwordAccepted_; }
    const std::vector<_KS_VOLUME*>& Volumes() const { return volumes_; }
    ~CSelectVolumeLogic();

    static constexpr unsigned long kRefused = 0x00B01607;
    static constexpr unsigned long kNotHandled = 0x00B51607;
    // What a set that lists no version reports (its text is the message library's).
    static const unsigned long kNoVersion;
    static constexpr const char* kWrongPassword = "The password is incorrect!";
    static constexpr const char* kInvalidPath = " The path you entered is invalid.";
    static constexpr const char* kInsertLast = "Please insert the last CD/DVD. Would you like to insert it?";
    static constexpr const char* kConfirmLast =
        "After inserting the last CD/DVD, please confirm by click OK button.";

private:
    void NoteError(unsigned long code, bool show);
    void ClearVolumes();
    // CheckSetPassword with the text and its length in bytes; the checker's answer.
    unsigned long SendPassword(const std::wstring& password);

    IChkImgWizard& wizard_;
    IWizardMessages& messages_;
    ChkImgRunState& run_;
    ITasque* tasque_;
    std::function<std::string(unsigned long)> messageText_;
    _KS_VERSION version_{};
    bool passwordAccepted_ = false;
    std::wstring password_;
    std::vector<_KS_VOLUME*> volumes_;
};

// Wide text of a multibyte path under the environment's locale, at most 520
// characters; false when it cannot be converted.
bool ChkImgWidePath(const std::string& path, std::vector<wchar_t>& out);
// A result code's text from the message library, converted for display.
std::string ChkImgMessageText(unsigned long code);
