// A GTK scrolled window whose two scroll bars the console paints itself: a shaded
// slider with a three-line grip and picture arrows. GTK still does all the
// scrolling; the bars are repainted after GTK has drawn them. One pointer state
// serves both bars, so hovering either shows both in the hover look.
#pragma once

#include "ScrollBarLook.h"

#include <gtk/gtk.h>

class CScrollBar {
public:
    CScrollBar();
    // The widgets belong to the GTK tree; only this object's handlers are taken off.
    ~CScrollBar();
    CScrollBar(const CScrollBar&) = delete;
    CScrollBar& operator=(const CScrollBar&) = delete;

    GtkWidget* GetScrollBarWidget() const { return m_scrolledWindow; }
    GtkWidget* GetHScrollBar() const { return m_hScrollBar; }
    GtkWidget* GetVScrollBar() const { return m_vScrollBar; }

    void SetScrollBarPolicy(GtkWidget* window, GtkPolicyType horizontal, GtkPolicyType vertical);
    void SetScrollBarSize(GtkWidget* widget, int width, int height);
    // Puts the vertical slider's end at the bar's height less 24 pixels.
    void SetScrollBarPosition();

    int GetState() const { return m_pointer.State(); }
    bool IsPressed() const { return m_pointer.Pressed(); }

    static void DrawGrade(GtkWidget* bar, cairo_t* cr, int start, int end, int state, int type);
    static void DrawThreeShortLine(GtkWidget* bar, cairo_t* cr, int start, int end, int state, int type);
    static void SetScrollBarSpinButton(GtkWidget* bar, cairo_t* cr, int state, int type);

    static gboolean HScrollbarExpose(GtkWidget* bar, GdkEventExpose* event, gpointer self);
    static gboolean VScrollbarExpose(GtkWidget* bar, GdkEventExpose* event, gpointer self);
    static gboolean OnHScrollBarEnter(GtkWidget* bar, GdkEventCrossing* event, gpointer self);
    static gboolean OnHScrollBarLeave(GtkWidget* bar, GdkEventCrossing* event, gpointer self);
    static gboolean OnHScrollBarRelease(GtkWidget* bar, GdkEventButton* event, gpointer self);
    static gboolean OnHScrollBarPress(GtkWidget* bar, GdkEventButton* event, gpointer self);
    static gboolean OnVScrollBarEnter(GtkWidget* bar, GdkEventCrossing* event, gpointer self);
    static gboolean OnVScrollBarLeave(GtkWidget* bar, GdkEventCrossing* event, gpointer self);
    static gboolean OnVScrollBarRelease(GtkWidget* bar, GdkEventButton* event, gpointer self);
    static gboolean OnVScrollBarPress(GtkWidget* bar, GdkEventButton* event, gpointer self);

    static constexpr unsigned kBarBackground = 0xEFEFEF;

private:
    static void SetScrollBarBg(GtkWidget* bar);
    static gboolean Expose(GtkWidget* bar, GdkEventExpose* event, CScrollBar* self, int type);
    static gboolean Enter(GtkWidget* bar, gpointer self);
    static gboolean Leave(GtkWidget* bar, gpointer self);
    static gboolean Release(GtkWidget* bar, GdkEventButton* event, gpointer self);
    static gboolean Press(GtkWidget* bar, gpointer self);

    ScrollPointer m_pointer;
    GtkWidget* m_scrolledWindow = nullptr; // cleared by GObject when the widget is finalised
    GtkWidget* m_hScrollBar = nullptr;
    GtkWidget* m_vScrollBar = nullptr;
};
