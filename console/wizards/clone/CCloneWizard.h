// The disk clone wizard as the console drives it: built over the main window, run
// through its dialog part, deleted by the console afterwards. Quit closes it from
// inside: the end sign is set and the dialog destroyed, so the console must not
// destroy it again. This build has no pages yet.
#pragma once

#include "CBaseDialog.h"
#include "ICloneWizard.h"

class CCloneWizard : public ICloneWizard, public CBaseDialog {
public:
    CCloneWizard(GtkWidget* parent, const char* title, int width, int height);
    ~CCloneWizard() override;

    void SetDlg(CBaseDialog* dialog) override { m_dlg = dialog; }
    CBaseDialog* GetDlg() const { return m_dlg; }

    static constexpr const char* kQuitLabel = "Quit";

private:
    static void OnQuitClicked(GtkButton* button, gpointer self);

    CBaseDialog* m_dlg = nullptr;
};
