// The small modal window shown while the device manager scans the disks again: a
// picture with a moving block under it. The user cannot close or answer it; it
// ends at the first 200 ms tick after the worker has finished.
#pragma once

#include <gtk/gtk.h>

class CUpdateInfoDlg {
public:
    explicit CUpdateInfoDlg(GtkWidget* parent);
    // Destroys the dialog when the run never got to it.
    ~CUpdateInfoDlg();
    CUpdateInfoDlg(const CUpdateInfoDlg&) = delete;
    CUpdateInfoDlg& operator=(const CUpdateInfoDlg&) = delete;

    // Shows the dialog and runs it until the scan has ended.
    void RunDlg();
    void DestroyDlg();

    GtkWidget* GetDialog() const { return m_dialog; }
    GtkWidget* GetPicture() const { return m_picture; }

    static constexpr guint kTickMs = 200;
    static constexpr const char* kTitle = "Zendrel Kivra Backup";
    static constexpr const char* kPicture = "../res/scan_sys_info.png";

private:
    static void ShowWindow(GtkWidget* widget, gpointer self);
    static gboolean TimeOutFun(gpointer self);
    static gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static void OnResponse(GtkDialog* dialog, gint response, gpointer self);
    static gboolean OnDeleteEvent(GtkWidget* widget, GdkEvent* event, gpointer self);
    void PaintStep();

    GtkWidget* m_picture = nullptr;
    guint m_timeoutId = 0;
    int m_blockX = 1;
    GtkWidget* m_box = nullptr;
    GtkWidget* m_dialog = nullptr;
};
