// The restore progress page: prepares the target and starts the run when the page
// is shown, follows the run on each poll, and ends it. What it shows goes through
// IFinishProcessView; the disc requests of the engine's thread go through the page's
// handshake.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "CDiscChangeHandshake.h"
#include "CRestoreRunMonitor.h"
#include "IRestoreDiskTables.h"
#include "RestoreSummaryTexts.h"

class IWizard;

// What the page shows.
class IFinishProcessView {
public:
    virtual ~IFinishProcessView() {}
    virtual void ClearSummary() = 0;
    virtual void AppendSummary(const SummaryText& text) = 0;
    virtual void UpdateProInfo(const std::string& totalText, double total, const std::string& itemText,
                               double item) = 0;
    virtual void EnableCancel(bool enable) = 0;
    virtual void EnableNext(bool enable) = 0;
    virtual void CloseCancelQuestion() = 0;
    virtual void ShowResult(const std::string& title, int icon, const std::string& text) = 0;
    virtual void RunCleanup() = 0;
};

class CFinishProcessPageLogic {
public:
    // The restore wizard's answers to requests it refuses.
    static constexpr unsigned long kDiscChangeCancelled = 0x01121607;
    static constexpr unsigned long kMessageNotHandled = 0x01191607;

    // handshakeStepMs: how long the engine's thread sleeps between looks at the answer.
    CFinishProcessPageLogic(IWizard* wizard, IFinishProcessView& view, IRestoreDiskTables& tables,
                            std::function<std::string(uint32_t)> messageText, unsigned handshakeStepMs = 1000);

    // Prepares and starts the run; true when the page is to poll.
    bool InitPage();
    // One poll of the engine; true to keep polling.
    bool Poll();
    // Cancel: true when the cancel question is to be asked now.
    bool OnQuitClicked();
    void OnCancelAnswer(bool yes);

    CDiscChangeHandshake& Handshake() { return handshake_; }
    CRestoreRunMonitor* Monitor() { return monitor_.get(); }
    // Item details as the run reaches item index (whole-disk restores).
    SummaryText ItemDetails(int index) const;

private:
    // The run's requests: shown through the view, or carried out on the engine, the
    // handshake and the wizard.
    class RunActions : public IRestoreRunView {
    public:
        explicit RunActions(CFinishProcessPageLogic& page) : page_(page) {}
        void UpdateProInfo(const std::string& t, double tf, const std::string& i, double itf) override;
        void ShowItemDetails(int index) override;
        void EnableCancel(bool enable) override;
        void EnableNext(bool enable) override;
        void CloseCancelQuestion() override;
        void ShowResult(const std::string& title, int icon, const std::string& text) override;
        void RunCleanup() override;
        void CloseWizard() override;
        void TellEngineCancel() override;
        void AnswerDiscRequestCancel() override;

    private:
        CFinishProcessPageLogic& page_;
    };

    IWizard* wizard_;
    IFinishProcessView& view_;
    IRestoreDiskTables& tables_;
    std::function<std::string(uint32_t)> messageText_;
    CDiscChangeHandshake handshake_;
    RunActions actions_{*this};
    std::unique_ptr<CRestoreRunMonitor> monitor_;
};
