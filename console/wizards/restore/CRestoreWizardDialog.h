// The restore wizard as the console drives it: created with new over the main
// window, set to its first page and run. It ends its own life when it closes:
// RunDlg returns after the object is gone, so callers never touch or delete it
// afterwards. This build has no pages yet.
#pragma once

#include "CBaseDialog.h"

class CRestoreWizardDialog : public CBaseDialog {
public:
    explicit CRestoreWizardDialog(GtkWidget* parent);

    virtual void SetCurrentPage(int page);
    int GetCurrentPage() const { return m_page; }
    // Shows the wizard, runs it modally, then destroys it and deletes this object.
    DLG_RESULT RunDlg() override;
    // Destroys the dialog and deletes this object.
    void DestoryDlg() override;

    static constexpr const char* kTitle = "Restore Wizard";
    // Counts the objects alive, so that tests see the wizard end its own life.
    static int LiveCount();

private:
    ~CRestoreWizardDialog() override;

    int m_page = -1;
};
