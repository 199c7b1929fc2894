// The splash window shown while the console starts: a picture, a running progress
// bar and a second picture. The window manager cannot close it; DestroyDlg ends it
// and the object's life.
#pragma once

#include "CProgressBar.h"

#include <gtk/gtk.h>

class CFlashDlg {
public:
    explicit CFlashDlg(GtkWidget* parent);
    CFlashDlg(const CFlashDlg&) = delete;
    CFlashDlg& operator=(const CFlashDlg&) = delete;

    void ShowDlg();
    // Stops the animation, destroys the window and deletes this object.
    void DestroyDlg();

    GtkWidget* GetWindow() const { return m_window; }
    double GetFraction() const { return m_progress.GetPos(); }
    bool IsAnimating() const { return m_timeoutId != 0; }

    static constexpr const char* kTitle = "Zendrel Kivra Backup";
    static constexpr guint kTickMs = 200;

    static void OnShowWindow(GtkWidget* widget, gpointer self);
    static gboolean OnTimeOutFun(gpointer self);
    static gboolean OnDeleteEvent(GtkWidget* widget, GdkEvent* event, gpointer self);

private:
    ~CFlashDlg();

    GtkWidget* m_topPicture = nullptr;
    guint m_timeoutId = 0;
    GtkWidget* m_vbox = nullptr;
    CProgressBar m_progress;
    GtkWidget* m_window = nullptr;
};
