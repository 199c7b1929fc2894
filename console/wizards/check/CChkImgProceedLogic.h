// The check progress page: queues the ticked volumes and starts the check when the
// page is shown, follows it on each poll (bars, one block per volume as the checker
// reaches it, the end), and owns the cancel question's fate. What it shows goes
// through IChkImgProceedView.
#pragma once

#include <functional>
#include <string>

#include "RestoreSummaryTexts.h"

class IChkImgWizard;
struct ChkImgRunState;
class CChkImgDiscChange;

class IChkImgProceedView {
public:
    virtual ~IChkImgProceedView() = default;
    virtual void SetText(const SummaryText& text) = 0;
    // Appends at the end and scrolls there.
    virtual void AppendText(const SummaryText& text) = 0;
    virtual void ShowProgress(unsigned currentPercent, unsigned totalPercent) = 0;
    virtual void HideHelp() = 0;
    // Runs a box with OK and closes it.
    virtual void ShowResult(const std::string& title, int icon, const std::string& text) = 0;
    // Ends the open cancel question as if answered No; the question's owner closes it.
    virtual void EndCancelQuestion() = 0;
};

class CChkImgProceedLogic {
public:
    static constexpr unsigned long kCancelledByDiscRefusal = 0x030F1607;
    static constexpr const char* kSucceeded = "Succeed in checking backup image!";
    static constexpr const char* kCanceled = "Image check is canceled.";
    static constexpr const char* kCancelQuestion = "Are you sure you want to cancel this operation?";

    CChkImgProceedLogic(IChkImgWizard& wizard, IChkImgProceedView& view, ChkImgRunState& run,
                        CChkImgDiscChange& discChange,
                        std::function<std::string(unsigned long)> messageText = nullptr);

    // Shows the page and starts the check; true when the page is to poll.
    bool InitPage();
    bool StartCheck();
    // One poll of the checker; true to keep polling.
    bool Poll();
    // Cancel: true when the cancel question is to be asked now (the check runs).
    bool OnQuitClicked();
    // The cancel question's answer once its box returned. An answer to a question the
    // finishing poll already ended changes nothing.
    void OnCancelAnswer(bool yes);
    void OnBackClicked();

    bool Running() const { return running_; }
    bool QuestionOpen() const { return questionOpen_; }

private:
    void End();

    IChkImgWizard& wizard_;
    IChkImgProceedView& view_;
    ChkImgRunState& run_;
    CChkImgDiscChange& discChange_;
    std::function<std::string(unsigned long)> messageText_;
    bool running_ = false;
    bool questionOpen_ = false;
};
