// A borderless modal picture over the main window while an image is mounted or
// unmounted. Made with new; DestroyDlg closes it and deletes the object.
#pragma once

#include <gtk/gtk.h>

class CWaitDlg {
public:
    CWaitDlg(GtkWidget* parent, bool mount);
    CWaitDlg(const CWaitDlg&) = delete;
    CWaitDlg& operator=(const CWaitDlg&) = delete;

    void ShowDlg();
    void DestroyDlg();
    GtkWidget* GetWindow() const { return m_window; }

private:
    ~CWaitDlg() = default; // only DestroyDlg ends it

    GtkWidget* m_picture = nullptr;
    GtkWidget* m_box = nullptr;
    GtkWidget* m_window = nullptr;
};
