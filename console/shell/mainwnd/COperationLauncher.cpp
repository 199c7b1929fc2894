#include "COperationLauncher.h"

#include "CConsoleOperationDialogs.h"

COperationLauncher& COperationLauncher::Instance()
{
    static CConsoleOperationDialogs dialogs;
    static COperationLauncher launcher(&dialogs);
    return launcher;
}

COperationLauncher::COperationLauncher(IOperationDialogs* dialogs) : own_(dialogs), dialogs_(dialogs) {}

void COperationLauncher::UseDialogs(IOperationDialogs* dialogs)
{
    dialogs_ = dialogs ? dialogs : own_;
}

void COperationLauncher::StartRestore(GtkWidget* parent)
{
    dialogs_->RunDeviceScan(parent);
    dialogs_->RunRestoreWizard(parent);
}

void COperationLauncher::StartClone(GtkWidget* parent)
{
    dialogs_->RunDeviceScan(parent);
    dialogs_->RunCloneWizard(parent);
}

void COperationLauncher::StartCheckImage(GtkWidget* parent)
{
    dialogs_->RunDeviceScan(parent);
    dialogs_->RunCheckImageWizard(parent);
}

void COperationLauncher::OpenCheckImageWizard(GtkWidget* parent)
{
    dialogs_->RunCheckImageWizard(parent);
}
