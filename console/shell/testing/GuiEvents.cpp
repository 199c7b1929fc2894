#include "GuiEvents.h"

#include "XvfbDisplay.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

namespace gui_events {

namespace {

Display* XDisplay()
{
    return GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
}

} // namespace

RootPoint ToRoot(GtkWidget* widget, int x, int y)
{
    int ox = 0;
    int oy = 0;
    gdk_window_get_origin(gtk_widget_get_window(widget), &ox, &oy);
    if (!gtk_widget_get_has_window(widget)) {
        ox += widget->allocation.x;
        oy += widget->allocation.y;
    }
    return {ox + x, oy + y};
}

RootPoint CentreOf(GtkWidget* widget)
{
    return ToRoot(widget, widget->allocation.width / 2, widget->allocation.height / 2);
}

void MovePointer(RootPoint to)
{
    XTestFakeMotionEvent(XDisplay(), -1, to.x, to.y, CurrentTime);
    XFlush(XDisplay());
}

void MovePointerTo(GtkWidget* widget, int x, int y)
{
    MovePointer(ToRoot(widget, x, y));
}

void MovePointerAway()
{
    MovePointer({XvfbDisplay::ScreenWidth() - 2, XvfbDisplay::ScreenHeight() - 2});
}

void PressButton(unsigned button)
{
    XTestFakeButtonEvent(XDisplay(), button, True, CurrentTime);
    XFlush(XDisplay());
}

void ReleaseButton(unsigned button)
{
    XTestFakeButtonEvent(XDisplay(), button, False, CurrentTime);
    XFlush(XDisplay());
}

void Click(GtkWidget* widget, unsigned button)
{
    MovePointer(CentreOf(widget));
    PressButton(button);
    ReleaseButton(button);
}

void TapKey(unsigned keyval)
{
    const KeyCode code = XKeysymToKeycode(XDisplay(), keyval);
    if (code == 0)
        return;
    XTestFakeKeyEvent(XDisplay(), code, True, CurrentTime);
    XTestFakeKeyEvent(XDisplay(), code, False, CurrentTime);
    XFlush(XDisplay());
}

void Focus(GtkWidget* toplevel)
{
    GdkWindow* window = gtk_widget_get_window(toplevel);
    if (!window)
        return;
    // No window manager runs on the test server: the focus is set directly.
    gdk_error_trap_push();
    XSetInputFocus(XDisplay(), GDK_WINDOW_XID(window), RevertToParent, CurrentTime);
    XSync(XDisplay(), False);
    gdk_error_trap_pop();
}

} // namespace gui_events
