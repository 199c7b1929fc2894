// Where a window's controls really lie on the screen, and what of them the user
// cannot see: a control outside its window or the screen, one clipped by a parent
// smaller than itself, two controls lying on each other, and a text label given
// less room than its text needs. Controls inside a scrolled window are its content
// and are reached by scrolling; the scrolled window itself is checked.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

struct ControlRect {
    GtkWidget* widget = nullptr;
    std::string name; // class and label, for the messages
    int x = 0, y = 0, width = 0, height = 0; // on the screen
};

// The visible controls of a toplevel window: buttons (also check and radio buttons),
// entries (also spin buttons), combo boxes, scrolled windows, tree views, progress
// bars and labels, each with its place on the screen.
std::vector<ControlRect> VisibleControls(GtkWidget* window);

// One line per fault found; empty when every control can be seen and used.
std::vector<std::string> ControlPlacementFaults(GtkWidget* window);
