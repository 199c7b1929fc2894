#include "RestorePages.h"

#include "CBaseWizardPage.h"
#include "IWizard.h"
#include "RestorePagePosition.h"

namespace {

// A position whose page this build does not have: it only lets the user leave.
class CAbsentWizardPage : public CBaseWizardPage {
public:
    explicit CAbsentWizardPage(IWizard* wizard) : CBaseWizardPage(wizard) {}
    int UpDate() override { return 1; }
    void OnHelpClicked() override { m_wizard->OnHelp(); }
    void OnBackClicked() override { m_wizard->OnBack(); }
    void OnNextClicked() override {}
    void OnQuitClicked() override { m_wizard->DestoryDlg(); }
};

} // namespace

CBaseWizardPage* MakeRestorePage(int position, IWizard* wizard)
{
    switch (position) {
    default:
        return new CAbsentWizardPage(wizard);
    }
}
