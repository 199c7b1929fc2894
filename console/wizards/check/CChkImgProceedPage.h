// Page 2 of the check wizard: starts the check when shown, shows its progress every
// 200 ms, one block per volume, and the end; serves the checker's disc and file
// requests every 500 ms; asks before cancelling.
#pragma once

#include <memory>

#include "CChkImgBasePage.h"
#include "CChkImgDiscChange.h"
#include "CChkImgProceedLogic.h"
#include "SummaryTextView.h"

class CGtkMessageBox;
class CProgressBar;

class CChkImgProceedPage : public CChkImgBasePage, private IChkImgProceedView {
public:
    CChkImgProceedPage(IChkImgWizard* wizard, ChkImgRunState& run);
    ~CChkImgProceedPage() override;

    void InitPage() override;
    int UpDate() override { return 0; }
    void OnHelpClicked() override;
    void OnBackClicked() override;
    void OnNextClicked() override {}
    void OnQuitClicked() override;

    std::string Text() const { return m_text.Text(); }
    bool Polling() const { return m_poll != 0; }

    static gboolean GuiCallback(gpointer self);

private:
    void SetText(const SummaryText& text) override;
    void AppendText(const SummaryText& text) override;
    void ShowProgress(unsigned currentPercent, unsigned totalPercent) override;
    void HideHelp() override;
    void ShowResult(const std::string& title, int icon, const std::string& text) override;
    void EndCancelQuestion() override;

    CChkImgDiscChange m_discChange;
    CChkImgProceedLogic m_logic;
    CSummaryTextView m_text;
    std::unique_ptr<CProgressBar> m_current;
    std::unique_ptr<CProgressBar> m_total;
    GtkWidget* m_currentPercent = nullptr;
    GtkWidget* m_totalPercent = nullptr;
    guint m_poll = 0;
    CGtkMessageBox* m_question = nullptr;
};
