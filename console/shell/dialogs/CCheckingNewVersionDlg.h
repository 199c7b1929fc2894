// "Checking for the latest version": closes itself 200 ms after it is shown.
#pragma once

#include "CBaseDialog.h"

class CCheckingNewVersionDlg : public CBaseDialog {
public:
    CCheckingNewVersionDlg(GtkWidget* parent, const char* title, int width, int height);
    ~CCheckingNewVersionDlg() override;

    const char* GetHelpName() override { return "CheckingNewVersionDlg"; }

    static constexpr guint kCloseAfterMs = 200;

private:
    static void OnShow(GtkWidget* dialog, gpointer self);
    static gboolean OnTimeout(gpointer self);

    guint m_timer = 0;
};
