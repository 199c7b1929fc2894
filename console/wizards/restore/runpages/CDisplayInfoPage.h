// The restore summary page: what is about to be done, then "_Proceed".
#pragma once

#include <memory>

#include "CBaseWizardPage.h"
#include "CDisplayInfoPageLogic.h"
#include "SummaryTextView.h"

class CDisplayInfoPage : public CBaseWizardPage {
public:
    explicit CDisplayInfoPage(IWizard* wizard);
    ~CDisplayInfoPage() override;

    int IsValid() override { return 0; }
    void InitPage() override;
    int UpDate() override { return 0; }
    void OnHelpClicked() override;
    void OnBackClicked() override;
    void OnNextClicked() override;
    void OnQuitClicked() override;

    CSummaryTextView& Summary() { return m_text; }

private:
    static gboolean DisplayText(GtkWidget* widget, GdkEventExpose* event, gpointer self);

    CDisplayInfoPageLogic m_logic;
    CSummaryTextView m_text;
};
