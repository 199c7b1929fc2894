// The restore progress page: the summary, the two bars, the result, and Cancel. Its
// decisions are CFinishProcessPageLogic's; this view polls it every 200 ms and serves
// the engine's disc requests every 500 ms.
#pragma once

#include <memory>

#include "CBaseWizardPage.h"
#include "CFinishProcessPageLogic.h"
#include "IRestoreDiskTables.h"
#include "SummaryTextView.h"

class CDiscChangeServer;
class CDiscChangeTimer;
class CGtkMessageBox;
class CNoVersionPrompt;
class CProgressBar;

class CFinishProcessPage : public CBaseWizardPage, private IFinishProcessView {
public:
    explicit CFinishProcessPage(IWizard* wizard);
    ~CFinishProcessPage() override;

    int IsValid() override { return 0; }
    void InitPage() override;
    int UpDate() override { return 0; }
    void OnHelpClicked() override;
    void OnBackClicked() override;
    void OnNextClicked() override;
    void OnQuitClicked() override;

    CSummaryTextView& Summary() { return m_text; }
    CProgressBar* TotalBar() const { return m_total.get(); }
    CProgressBar* ItemBar() const { return m_item.get(); }
    bool Polling() const { return m_poll != 0; }

private:
    void ClearSummary() override;
    void AppendSummary(const SummaryText& text) override;
    void UpdateProInfo(const std::string& totalText, double total, const std::string& itemText, double item) override;
    void EnableCancel(bool enable) override;
    void EnableNext(bool enable) override;
    void CloseCancelQuestion() override;
    void ShowResult(const std::string& title, int icon, const std::string& text) override;
    void RunCleanup() override;

    static gboolean GuiCallback(gpointer self);
    static std::string MessageText(uint32_t code);

    CVessmarDiskTables m_tables;
    CFinishProcessPageLogic m_logic;
    CSummaryTextView m_text;
    std::unique_ptr<CProgressBar> m_total;
    std::unique_ptr<CProgressBar> m_item;
    GtkWidget* m_itemLabel = nullptr;
    GtkWidget* m_totalLabel = nullptr;
    std::unique_ptr<CNoVersionPrompt> m_prompt;
    std::unique_ptr<CDiscChangeServer> m_server;
    std::unique_ptr<CDiscChangeTimer> m_discTimer;
    guint m_poll = 0;
    CGtkMessageBox* m_question = nullptr;
};
