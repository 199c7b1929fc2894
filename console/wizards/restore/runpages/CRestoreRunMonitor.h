// The progress page's run as a state machine: every poll of the engine's progress
// record, the user's cancel and the end of the run. The page's view carries out
// what it asks through IRestoreRunView; nothing here touches GTK.
//
// A cancel never closes the wizard under a running engine: the engine is told, a
// disc request it waits on is answered "cancel", and the wizard closes only once the
// engine reports that the run has ended (cancelled or finished).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "KSProgressInfo.h"

class IRestoreRunView {
public:
    virtual ~IRestoreRunView() {}
    virtual void UpdateProInfo(const std::string& totalText, double total, const std::string& itemText,
                               double item) = 0;
    virtual void ShowItemDetails(int index) = 0;
    virtual void EnableCancel(bool enable) = 0;
    virtual void EnableNext(bool enable) = 0;
    // Ends a question box still open, as if answered "no"; the box's own run returns.
    virtual void CloseCancelQuestion() = 0;
    virtual void ShowResult(const std::string& title, int icon, const std::string& text) = 0;
    virtual void RunCleanup() = 0;          // "/mnt/umnt" after a run the engine cancelled
    virtual void CloseWizard() = 0;
    virtual void TellEngineCancel() = 0;    // RestoreUserCancel
    virtual void AnswerDiscRequestCancel() = 0; // a waiting disc-change request gets "cancel"
};

class CRestoreRunMonitor {
public:
    enum State { kRunning, kAsking, kCancelling, kFinished, kClosed };

    // messageText: the message library's text of a result code.
    CRestoreRunMonitor(IRestoreRunView& view, bool diskRestore, std::function<std::string(uint32_t)> messageText);

    // One poll: true to keep polling.
    bool OnProgress(const KSProgressInfoT<wchar_t>& p);
    // The Cancel button (or Escape): true when a question must be asked now.
    bool OnQuit();
    // The question's answer.
    void OnCancelAnswer(bool yes);
    // The run could not be started: the page only waits to be closed.
    void EndWithoutRun();

    State GetState() const { return state_; }

    static constexpr const char* kSuccessText = "The operation is successfully completed!";
    static constexpr const char* kDiskSuccessText =
        "If you do not restore to the source disk, please remove the source disk to boot from the destination disk.";
    static constexpr const char* kEngineCancelledText = "The operation was cancelled before it finished.";

private:
    void Finish(const KSProgressInfoT<wchar_t>& p, const std::string& itemName);

    IRestoreRunView& view_;
    bool diskRestore_;
    std::function<std::string(uint32_t)> messageText_;
    State state_ = kRunning;
    unsigned lastItem_ = 0;
};
