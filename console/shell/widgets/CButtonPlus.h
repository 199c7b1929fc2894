// The console's push button: a GTK button with the console's pictures as its
// background, a drawn frame and a hover highlight. Owners pack GetButtonWidget()
// and connect their own "clicked" handler; this wrapper only draws.
#pragma once

#include "PointerStateMachine.h"

#include <gtk/gtk.h>

class CButtonPlus {
public:
    explicit CButtonPlus(const char* label);
    // The widget belongs to the GTK tree; only this object's handlers are taken off it.
    ~CButtonPlus();
    CButtonPlus(const CButtonPlus&) = delete;
    CButtonPlus& operator=(const CButtonPlus&) = delete;

    GtkWidget* GetButtonWidget() const { return m_button; }
    void SetDefualt();
    void SetSize(int width, int height);
    void UpdateWidgetBg(GtkWidget* widget);
    void DrawHover(GdkGC* gc, GdkDrawable* drawable, GdkRectangle* rect);

    int GetState() const { return m_state.State(); }

    static constexpr int kDefaultWidth = 68;
    static constexpr int kDefaultHeight = 24;

private:
    static gboolean ExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean OnButtonEnter(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean OnButtonLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean OnButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);

    GtkWidget* m_button = nullptr; // cleared by GObject when the widget is finalised
    PointerStateMachine m_state{PointerPolicy::PushButton};
};
