// The handlers of the web-address links of the about and new-version dialogs: a click
// is answered as handled, and the right mouse button never reaches the link.
#pragma once

#include <gtk/gtk.h>

// "clicked": nothing more happens here; the toolkit's own handling stays.
void OnLinkClicked(GtkWidget* link, gpointer unused);
// "button-press-event": swallows button 3, lets the others through.
gboolean OnLinkButtonPress(GtkWidget* link, GdkEventButton* event, gpointer unused);
