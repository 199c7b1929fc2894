// The drawn look shared by check and radio buttons: a #ECE9D8 background, GTK's
// indicator hidden under a picture chosen by the active flag and the pointer state.
#pragma once

#include "PointerStateMachine.h"
#include "ToggleIndicatorPicture.h"

#include <gtk/gtk.h>

class ToggleButtonLook {
public:
    explicit ToggleButtonLook(ToggleKind kind) : kind_(kind) {}
    ~ToggleButtonLook();
    ToggleButtonLook(const ToggleButtonLook&) = delete;
    ToggleButtonLook& operator=(const ToggleButtonLook&) = delete;

    // Sets the background and connects the five handlers, in the kit's order.
    void Attach(GtkWidget* widget);
    GtkWidget* Widget() const { return widget_; }
    int State() const { return state_.State(); }

private:
    static gboolean ExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean OnEnter(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean OnLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean OnRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnPress(GtkWidget* widget, GdkEventButton* event, gpointer self);

    ToggleKind kind_;
    GtkWidget* widget_ = nullptr; // cleared by GObject when the widget is finalised
    PointerStateMachine state_{PointerPolicy::Toggle};
};

// Where the indicator square and its picture lie, from the widget's allocation.
constexpr int kToggleIndicatorWidth = 19;
constexpr int kToggleIndicatorHeight = 20;
constexpr int kTogglePictureDx = 2;
constexpr int kTogglePictureDy = 3;
