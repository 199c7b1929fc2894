// The modal dialogs an operation start runs, one call each. The console's own set
// is CConsoleOperationDialogs; tests put a recorder in its place.
#pragma once

#include <gtk/gtk.h>

class IOperationDialogs {
public:
    virtual ~IOperationDialogs() = default;
    virtual void RunDeviceScan(GtkWidget* parent) = 0;
    virtual void RunRestoreWizard(GtkWidget* parent) = 0;
    virtual void RunCheckImageWizard(GtkWidget* parent) = 0;
    virtual void RunCloneWizard(GtkWidget* parent) = 0;
};
