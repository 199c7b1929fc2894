// Real input through the X server's XTEST extension: the server moves the pointer,
// sends crossing events, takes the implicit grab of a pressed button and delivers
// keys to the focused window, exactly as for a user. The functions only queue the
// input; gui_wait::Settle or Until lets the toolkit handle it.
#pragma once

#include <gtk/gtk.h>

namespace gui_events {

struct RootPoint {
    int x;
    int y;
};

// A point given relative to the widget's allocation, in screen coordinates.
RootPoint ToRoot(GtkWidget* widget, int x, int y);
RootPoint CentreOf(GtkWidget* widget);

void MovePointer(RootPoint to);
void MovePointerTo(GtkWidget* widget, int x, int y);
// To a corner of the screen where no test window lies.
void MovePointerAway();
void PressButton(unsigned button);
void ReleaseButton(unsigned button);
// Moves to the widget's centre, presses and releases the button.
void Click(GtkWidget* widget, unsigned button = 1);
// Press and release of one key, given as a GDK key value (GDK_Return, 'a', ...).
void TapKey(unsigned keyval);
// Gives a toplevel window the keyboard focus.
void Focus(GtkWidget* toplevel);

} // namespace gui_events
