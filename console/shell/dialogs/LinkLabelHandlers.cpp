#include "LinkLabelHandlers.h"

void OnLinkClicked(GtkWidget*, gpointer) {}

gboolean OnLinkButtonPress(GtkWidget*, GdkEventButton* event, gpointer)
{
    return event->button == 3 ? TRUE : FALSE;
}
