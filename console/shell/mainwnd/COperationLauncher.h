// The one way every part of the console (tool bar, start page, menu, side bar)
// starts an operation: the device scan first, so that the wizard sees the disks as
// they are now, then the operation's wizard. Everything runs modally on the GTK
// main thread.
#pragma once

#include "IOperationDialogs.h"

class COperationLauncher {
public:
    static COperationLauncher& Instance();

    explicit COperationLauncher(IOperationDialogs* dialogs);

    void StartRestore(GtkWidget* parent);
    void StartClone(GtkWidget* parent);
    void StartCheckImage(GtkWidget* parent);
    // The check-image wizard at once, without the scan: Enter on the side bar's
    // check-image row.
    void OpenCheckImageWizard(GtkWidget* parent);

    // Tests replace the dialogs; null restores the console's own.
    void UseDialogs(IOperationDialogs* dialogs);

private:
    IOperationDialogs* own_;
    IOperationDialogs* dialogs_;
};
