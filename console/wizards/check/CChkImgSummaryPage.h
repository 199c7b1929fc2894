// Page 1 of the check wizard: the image and each ticked volume, read-only, until
// "_Proceed".
#pragma once

#include "CChkImgBasePage.h"
#include "CChkImgSummaryLogic.h"
#include "SummaryTextView.h"

class CChkImgSummaryPage : public CChkImgBasePage {
public:
    explicit CChkImgSummaryPage(IChkImgWizard* wizard);

    void InitPage() override;
    int UpDate() override { return 0; }
    void OnHelpClicked() override;
    void OnBackClicked() override;
    void OnNextClicked() override;
    void OnQuitClicked() override;

    std::string Text() const { return m_text.Text(); }

private:
    static gboolean OnPromptExpose(GtkWidget* widget, GdkEventExpose* event, gpointer self);

    CChkImgSummaryLogic m_logic;
    CSummaryTextView m_text;
};
