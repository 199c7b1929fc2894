#include "RestorePages.h"

#include "CAssignDriveLetterPage.h"
#include "CBaseWizardPage.h"
#include "CReadImageFilePartitionPage.h"
#include "CSelectImageFilePage.h"
#include "CSelectRestoreModePage.h"
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
    case RESTORE_PAGE_IMAGE:
        return new CSelectImageFilePage(wizard);
    case RESTORE_PAGE_IMAGE_PARTITION:
        return new CReadImageFilePartitionPage(wizard);
    case RESTORE_PAGE_RESTORE_MODE:
        return new CSelectRestoreModePage(wizard);
    case RESTORE_PAGE_DRIVE_LETTER:
        return new CAssignDriveLetterPage(wizard);
    default:
        return new CAbsentWizardPage(wizard);
    }
}
