#include "CConsoleOperationDialogs.h"

#include "CChkImgWizard.h"
#include "CCloneDataBase.h"
#include "CCloneWizard.h"
#include "CRestoreWizardDialog.h"
#include "CUpdateInfoDlg.h"
#include "CloneWizardLifecycle.h"

void CConsoleOperationDialogs::RunDeviceScan(GtkWidget* parent)
{
    CUpdateInfoDlg scan(parent);
    scan.RunDlg();
}

void CConsoleOperationDialogs::RunRestoreWizard(GtkWidget* parent)
{
    // The wizard deletes itself when it closes; it is not touched afterwards.
    CRestoreWizardDialog* wizard = new CRestoreWizardDialog(parent);
    wizard->SetCurrentPage(0);
    wizard->RunDlg();
}

void CConsoleOperationDialogs::RunCheckImageWizard(GtkWidget* parent)
{
    CChkImgWizard wizard(parent);
    wizard.SetCurrentPage(0);
    wizard.RunDlg();
}

void CConsoleOperationDialogs::RunCloneWizard(GtkWidget* parent)
{
    RunCloneWizardLifecycle(new CCloneWizard(parent, kCloneTitle, kCloneWidth, kCloneHeight),
                            CCloneDataBase::Instance());
}
