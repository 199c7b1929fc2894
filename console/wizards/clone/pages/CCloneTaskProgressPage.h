// The clone wizard's last page. Entering it prepares the destination and starts the
// copy; a 200 ms poll then logs each partition as it is copied, moves the two bars and
// reports the end. Cancel asks first and cancels the run; the wizard closes when the
// engine reports the cancellation. When the preparation fails, the page says why and
// Cancel closes the wizard.
#pragma once

#include <memory>

#include "CCloneWizardPage.h"
#include "CProgressBar.h"
#include "CloneProgressPoll.h"
#include "CloneRunPreparation.h"

class ITasque;
class IVessmarModule;

class CCloneTaskProgressPage : public CCloneWizardPage {
public:
    CCloneTaskProgressPage();
    ~CCloneTaskProgressPage() override;

    CLONE_WIZARD_PAGE GetNextPage() override;
    void UpdateHeader() override;
    void InitPage() override;
    void OnButtonClick(CLONE_WIZARD_BUTTON button) override;
    void OnQuitClicked() override;

    static gboolean GuiCallback(void* page);
    static unsigned long BackCall(void* context, unsigned long message, void* data);
    void InsertCloneInfo(const char* text, int bold, int red);
    void UpdateProInfo(const char* totalText, double total, const char* currentText, double current);

    // What tests read back.
    GtkWidget* LogView() const { return m_textView; }
    std::string LogText() const;
    CProgressBar& TotalBar() { return *m_totalBar; }
    CProgressBar& CurrentBar() { return *m_currentBar; }
    const char* TotalLabel() const { return gtk_label_get_text(GTK_LABEL(m_totalLabel)); }
    const char* CurrentLabel() const { return gtk_label_get_text(GTK_LABEL(m_currentLabel)); }
    const CloneRunOutcome& Outcome() const { return m_outcome; }
    bool RunEnded() const { return m_runEnded != 0; }
    bool Polling() const { return m_timer != 0; }
    GtkWidget* OpenConfirmation() const { return m_confirm; }

private:
    gboolean Poll();
    void ReportPreparationFailure();
    void CloseWizard();
    // Closes an open cancel question as if the run's end had answered it.
    void EndCancelQuestion();

    GtkWidget* m_textView = nullptr;
    GtkTextBuffer* m_buffer = nullptr;
    std::unique_ptr<CProgressBar> m_currentBar;
    std::unique_ptr<CProgressBar> m_totalBar;
    ITasque* m_command = nullptr;
    guint m_timer = 0;
    int m_cancelRequested = 0;
    int m_runEnded = 0;
    bool m_idle = false; // the preparation failed: Cancel closes at once
    GtkWidget* m_confirm = nullptr;
    bool m_confirmEndedByReport = false;
    GtkWidget* m_currentLabel = nullptr;
    GtkWidget* m_totalLabel = nullptr;
    CloneProgressPoll m_poll;
    CloneRunOutcome m_outcome;
};
