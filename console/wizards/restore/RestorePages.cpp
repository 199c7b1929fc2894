#include "RestorePages.h"

#include "CAssignDriveLetterPage.h"
#include "CBaseWizardPage.h"
#include "CReadImageFilePartitionPage.h"
#include "CSelectImageFilePage.h"
#include "CSelectRestoreModePage.h"
#include "IWizard.h"
#include "RestorePagePosition.h"
#if RVD_RESTORE_TARGET_PAGES
#include "CEditPartitionPage.h"
#include "CSelectTargetDiskPage.h"
#include "CSelectTargetPartitionPage.h"
#endif
#if RVD_RESTORE_RUN_PAGES
#include "CDisplayInfoPage.h"
#include "CFinishProcessPage.h"
#endif

namespace {

// A position whose page this build does not have (a build of a subset of the
// folders): it only lets the user leave.
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
#if RVD_RESTORE_TARGET_PAGES
    case RESTORE_PAGE_TARGET_PARTITION:
        return new CSelectTargetPartitionPage(wizard);
    case RESTORE_PAGE_EDIT_PARTITION:
        return new CEditPartitionPage(wizard);
    case RESTORE_PAGE_TARGET_DISK:
        return new CSelectTargetDiskPage(wizard);
#endif
#if RVD_RESTORE_RUN_PAGES
    case RESTORE_PAGE_SUMMARY:
        return new CDisplayInfoPage(wizard);
    case RESTORE_PAGE_PROGRESS:
        return new CFinishProcessPage(wizard);
#endif
    default:
        return new CAbsentWizardPage(wizard);
    }
}
