// The decisions of the image selection page: which chosen paths name an image set,
// whether the engine can read its versions, whether it asks for a password, and what
// the page then shows. It talks to the engine through the record's command object,
// to the frame through IWizard and to the user through IWizardMessages; the view
// draws what GetState() and the texts say.
#pragma once

#include <functional>
#include <string>

#include "KSImageFormat.h"

class ITasque;
class IWizard;
class IWizardMessages;

class CImageSelectionLogic {
public:
    enum class State { Nothing, Open, Protected };
    enum class Source { BrowserRow, Entry };
    enum class Outcome { Ignored, Refused, Failed, Shown };

    // messageText gives a result code's full text for display (the message library's).
    CImageSelectionLogic(IWizard& wizard, IWizardMessages& messages,
                         std::function<std::string(unsigned long)> messageText = nullptr);

    // A row chosen in the browser or a path typed into the file name entry (already
    // turned back into file-system text). Shown: the view rebuilds the right side.
    Outcome Accept(const std::string& path, Source source);
    // The password of a protected image; true when the engine accepted it.
    bool Confirm(const std::wstring& password);

    void InitPage();
    int UpDate();
    void OnNextClicked();

    State GetState() const { return state_; }
    const std::string& Path() const { return path_; }
    const _KS_VERSION& Version() const { return version_; }
    bool PasswordAccepted() const { return passwordAccepted_; }
    // The first version's comment as multibyte text.
    std::string Comment();
    // The file's byte count; -1 when it cannot be read.
    static int64_t FileBytes(const std::string& path);

    static constexpr const char* kWrongPassword = "The password is incorrect!";
    static constexpr const char* kPathTooLong = "The path of the image file is too long.";

private:
    bool GetVer(const std::string& path);
    void Note(unsigned long code);
    ITasque* Tasque() const;

    IWizard& wizard_;
    IWizardMessages& messages_;
    std::function<std::string(unsigned long)> messageText_;
    State state_ = State::Nothing;
    std::string path_;
    _KS_VERSION version_{};
    bool passwordAccepted_ = false;
};
