#include "CRestoreRunMonitor.h"

#include <cstdlib>

#include "WizardText.h"

namespace {

std::string NarrowName(const wchar_t* text)
{
    wchar_t copy[KS_PROGRESS_TEXT_CHARS + 1] = {};
    for (size_t i = 0; i < KS_PROGRESS_TEXT_CHARS && text[i] != L'\0'; ++i)
        copy[i] = text[i];
    char out[261] = {};
    const size_t n = std::wcstombs(out, copy, 260);
    return n == static_cast<size_t>(-1) ? std::string() : std::string(out);
}

} // namespace

CRestoreRunMonitor::CRestoreRunMonitor(IRestoreRunView& view, bool diskRestore,
                                       std::function<std::string(uint32_t)> messageText)
    : view_(view), diskRestore_(diskRestore), messageText_(std::move(messageText))
{
}

bool CRestoreRunMonitor::OnProgress(const KSProgressInfoT<wchar_t>& p)
{
    if (state_ == kFinished || state_ == kClosed)
        return false;
    if (p.CurrentItem != lastItem_ && p.CurrentItem != p.ItemCount) {
        view_.ShowItemDetails(p.CurrentItem);
        lastItem_ = p.CurrentItem;
    }
    const std::string totalText = "Total progress: " + std::to_string(p.OverallPercent) + "%";
    const std::string name = NarrowName(p.Text);
    const std::string itemText = name + ": " + std::to_string(p.ItemPercent) + "%";
    switch (p.State) {
    case RESTORE_STATE_INITIALIZE:
        view_.UpdateProInfo("Initialize!", 0.0, "", 0.0);
        return true;
    case RESTORE_STATE_RUNNING:
        view_.UpdateProInfo(totalText, p.OverallPercent / 100.0, itemText, p.ItemPercent / 100.0);
        return true;
    case RESTORE_STATE_FINISH:
        view_.UpdateProInfo(totalText, p.OverallPercent / 100.0, itemText, p.ItemPercent / 100.0);
        lastItem_ = 0;
        if (state_ == kCancelling) {
            // The engine ended before it saw the cancel: the wizard closes as asked.
            state_ = kClosed;
            view_.CloseWizard();
            return false;
        }
        Finish(p, name);
        return false;
    case RESTORE_STATE_USER_CANCEL:
        view_.UpdateProInfo(totalText, p.OverallPercent / 100.0, itemText, p.ItemPercent / 100.0);
        view_.RunCleanup();
        if (state_ == kAsking)
            view_.CloseCancelQuestion();
        if (state_ == kCancelling || state_ == kAsking) {
            state_ = kClosed;
            view_.CloseWizard();
        } else {
            // Cancelled from the engine's side (a refused disc): said in a box, and
            // the result stays shown.
            state_ = kFinished;
            view_.ShowResult("Error", 3,
                             p.Result != 0 ? FailureText(messageText_ ? messageText_(p.Result) : std::string(), p.Result)
                                           : kEngineCancelledText);
            view_.EnableCancel(false);
            view_.EnableNext(true);
        }
        return false;
    default:
        return true;
    }
}

void CRestoreRunMonitor::Finish(const KSProgressInfoT<wchar_t>& p, const std::string& itemName)
{
    std::string title, text;
    int icon;
    if (p.Result == 0) {
        view_.UpdateProInfo("Total progress: " + std::to_string(p.OverallPercent) + "%", p.OverallPercent / 100.0,
                            itemName + ":" + "100" + "%", 1.0);
        title = "Succeed";
        icon = diskRestore_ ? 4 : 0;
        text = diskRestore_ ? kDiskSuccessText : kSuccessText;
    } else {
        title = "Error";
        icon = 3;
        text = FailureText(messageText_ ? messageText_(p.Result) : std::string(), p.Result);
    }
    if (state_ == kAsking)
        view_.CloseCancelQuestion();
    state_ = kFinished;
    view_.ShowResult(title, icon, text);
    view_.EnableCancel(false);
    view_.EnableNext(true);
}

bool CRestoreRunMonitor::OnQuit()
{
    switch (state_) {
    case kFinished:
        state_ = kClosed;
        view_.CloseWizard();
        return false;
    case kRunning:
        state_ = kAsking;
        view_.EnableCancel(false);
        return true;
    default:
        return false; // a question is open, or the cancel is on its way
    }
}

void CRestoreRunMonitor::OnCancelAnswer(bool yes)
{
    if (state_ != kAsking)
        return; // the run ended while the question was open
    if (!yes) {
        state_ = kRunning;
        view_.EnableCancel(true);
        return;
    }
    state_ = kCancelling;
    view_.EnableCancel(false);
    view_.TellEngineCancel();
    view_.AnswerDiscRequestCancel();
}

void CRestoreRunMonitor::EndWithoutRun()
{
    state_ = kFinished;
    view_.EnableCancel(false);
    view_.EnableNext(true);
}
