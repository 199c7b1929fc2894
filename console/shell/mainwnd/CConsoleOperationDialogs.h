// The console's device-scan dialog and wizards behind the operation launcher.
#pragma once

#include "IOperationDialogs.h"

class CConsoleOperationDialogs : public IOperationDialogs {
public:
    void RunDeviceScan(GtkWidget* parent) override;
    void RunRestoreWizard(GtkWidget* parent) override;
    void RunCheckImageWizard(GtkWidget* parent) override;
    void RunCloneWizard(GtkWidget* parent) override;

    static constexpr const char* kCloneTitle = "Disk Clone Wizard";
    static constexpr int kCloneWidth = 640;
    static constexpr int kCloneHeight = -1;
};
