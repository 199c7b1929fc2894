// The console's one message box: a picture, a text shown exactly as given, and the
// buttons of its type. Run with RunDlg, ended with DestoryDlg.
#pragma once

#include "CBaseDialog.h"
#include "MessageBoxContents.h"

class CGtkMessageBox : public CBaseDialog {
public:
    CGtkMessageBox(GtkWidget* parent, const char* title, GTK_MB_ICON_TYPE icon, GTK_MB_TYPE type, const char* text);

    GtkWidget* GetTextLabel() const { return m_label; }

private:
    GtkWidget* m_label = nullptr;
};
