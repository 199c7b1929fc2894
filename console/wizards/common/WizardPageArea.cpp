#include "WizardPageArea.h"

#include <algorithm>

namespace {

// Room for a window manager's title bar and frame, and for a panel.
constexpr int kFrameWidthAllowance = 16;
constexpr int kFrameHeightAllowance = 48;

} // namespace

WizardArea UsableScreen(WizardArea screen)
{
    return {std::max(0, screen.width - kFrameWidthAllowance), std::max(0, screen.height - kFrameHeightAllowance)};
}

WizardArea FitPageArea(WizardArea largestPage, WizardArea frame, WizardArea usableScreen)
{
    WizardArea fitted;
    fitted.width = std::max(0, std::min(largestPage.width, usableScreen.width - frame.width));
    fitted.height = std::max(0, std::min(largestPage.height, usableScreen.height - frame.height));
    return fitted;
}

GtkWidget* WrapWizardPages(GtkWidget* notebook, const GdkColor& background)
{
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_NONE);
    gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(scroller), notebook);
    GtkWidget* viewport = gtk_bin_get_child(GTK_BIN(scroller));
    gtk_viewport_set_shadow_type(GTK_VIEWPORT(viewport), GTK_SHADOW_NONE);
    gtk_widget_modify_bg(viewport, GTK_STATE_NORMAL, &background);
    return scroller;
}

void FitWizardPages(GtkWidget* window, GtkWidget* scroller, GtkWidget* notebook)
{
    if (window == nullptr || scroller == nullptr || notebook == nullptr)
        return;
    GtkRequisition page;
    gtk_widget_size_request(notebook, &page);
    // The frame around the page area: what the window asks beyond a page area that is
    // very wide (only the borders beside it count) and empty (everything above and
    // below it counts).
    constexpr int kProbeWidth = 4000;
    gtk_widget_set_size_request(scroller, kProbeWidth, 0);
    GtkRequisition whole;
    gtk_widget_size_request(window, &whole);
    const WizardArea frame{whole.width - kProbeWidth, whole.height};

    GdkScreen* screen = gtk_widget_get_screen(window);
    GdkRectangle monitor{0, 0, gdk_screen_get_width(screen), gdk_screen_get_height(screen)};
    if (window->window != nullptr)
        gdk_screen_get_monitor_geometry(screen, gdk_screen_get_monitor_at_window(screen, window->window), &monitor);
    const WizardArea fitted =
        FitPageArea({page.width, page.height}, frame, UsableScreen({monitor.width, monitor.height}));
    // A direction in which the largest page fits has no scroll bar, and the page area
    // takes the page's own size there; only a direction cut to the screen scrolls.
    const bool wholeWidth = fitted.width >= page.width;
    const bool wholeHeight = fitted.height >= page.height;
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), wholeWidth ? GTK_POLICY_NEVER : GTK_POLICY_AUTOMATIC,
                                   wholeHeight ? GTK_POLICY_NEVER : GTK_POLICY_AUTOMATIC);
    gtk_widget_set_size_request(scroller, wholeWidth ? -1 : fitted.width, wholeHeight ? -1 : fitted.height);
}
