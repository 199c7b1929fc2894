// A two-pane horizontal splitter with a drawn handle. Nothing in the console
// connects its handlers yet; a window that wants the drawn handle connects them
// to the event box (GetEventBox) and the panes.
#pragma once

#include <gtk/gtk.h>

class CPlusHpanedCtrl {
public:
    CPlusHpanedCtrl();
    CPlusHpanedCtrl(const CPlusHpanedCtrl&) = delete;
    CPlusHpanedCtrl& operator=(const CPlusHpanedCtrl&) = delete;

    void InitHpanedCtrl(GtkWidget* left, GtkWidget* right);
    GtkWidget* GetHpanedCtrl() const { return m_container; }
    GtkWidget* GetEventBox() const { return m_eventBox; }
    bool IsDragging() const { return m_dragging != 0; }

    static gboolean on_bar_press_notify(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean on_bar_motion_notify(GtkWidget* widget, GdkEventMotion* event, gpointer self);
    static gboolean on_bar_release_notify(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean on_draw_hpaned_notify(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean on_draw_handle_notify(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean on_draw_Left_notify(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean on_draw_Right_notify(GtkWidget* widget, GdkEventExpose* event, gpointer self);

    void BeforeMoveCtrl(GdkEventMotion* event);
    void MoveCtrl();

    // Event mask of the handle: exposure, motion, motion hint, press, leave.
    static constexpr int kHandleEventMask = GDK_EXPOSURE_MASK | GDK_POINTER_MOTION_MASK |
                                            GDK_POINTER_MOTION_HINT_MASK | GDK_BUTTON_PRESS_MASK |
                                            GDK_LEAVE_NOTIFY_MASK;
    static_assert(kHandleEventMask == 8462, "the handle's event mask");

private:
    GtkWidget* m_container = nullptr;
    GtkWidget* m_eventBox = nullptr;
    GtkWidget* m_left = nullptr;
    GtkWidget* m_right = nullptr;
    int m_dragging = 0;
    int m_pressX = 0;
    int m_pressY = 0;
    int m_pointerX = 0;
    int m_pointerY = 0;
};
