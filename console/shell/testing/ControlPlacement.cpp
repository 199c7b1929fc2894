#include "ControlPlacement.h"

#include <functional>

namespace {

bool IsControl(GtkWidget* w)
{
    return GTK_IS_BUTTON(w) || GTK_IS_ENTRY(w) || GTK_IS_COMBO_BOX(w) || GTK_IS_SCROLLED_WINDOW(w) ||
           GTK_IS_TREE_VIEW(w) || GTK_IS_PROGRESS_BAR(w) || GTK_IS_LABEL(w);
}

// A scrolled window around a viewport holds ordinary widgets (a page that scrolls):
// they are checked against what the viewport shows.
bool ScrollsWidgets(GtkWidget* w)
{
    return GTK_IS_SCROLLED_WINDOW(w) && GTK_IS_VIEWPORT(gtk_bin_get_child(GTK_BIN(w)));
}

// Controls whose inside is theirs: a button's label, a combo box's parts and a
// scrolled list's rows are not looked at apart.
bool KeepsItsInside(GtkWidget* w)
{
    return GTK_IS_BUTTON(w) || GTK_IS_COMBO_BOX(w) || (GTK_IS_SCROLLED_WINDOW(w) && !ScrollsWidgets(w)) ||
           GTK_IS_TREE_VIEW(w);
}

std::string NameOf(GtkWidget* w)
{
    std::string name = G_OBJECT_TYPE_NAME(w);
    const char* text = nullptr;
    if (GTK_IS_BUTTON(w))
        text = gtk_button_get_label(GTK_BUTTON(w));
    else if (GTK_IS_LABEL(w))
        text = gtk_label_get_text(GTK_LABEL(w));
    else if (GTK_IS_ENTRY(w))
        text = gtk_entry_get_text(GTK_ENTRY(w));
    if (text != nullptr && text[0] != '\0') {
        std::string shown(text);
        if (shown.size() > 60)
            shown = shown.substr(0, 57) + "...";
        name += " \"" + shown + "\"";
    }
    return name;
}

bool Shown(GtkWidget* w)
{
    return gtk_widget_get_visible(w) && gtk_widget_get_mapped(w) && w->allocation.width > 1 &&
           w->allocation.height > 1;
}

void Collect(GtkWidget* widget, const std::function<void(GtkWidget*)>& take)
{
    if (!Shown(widget))
        return;
    if (IsControl(widget) && !ScrollsWidgets(widget))
        take(widget);
    if (KeepsItsInside(widget) || !GTK_IS_CONTAINER(widget))
        return;
    GList* children = nullptr;
    gtk_container_forall(GTK_CONTAINER(widget),
                         [](GtkWidget* child, gpointer list) {
                             *static_cast<GList**>(list) = g_list_prepend(*static_cast<GList**>(list), child);
                         },
                         &children);
    children = g_list_reverse(children);
    for (GList* it = children; it != nullptr; it = it->next)
        Collect(GTK_WIDGET(it->data), take);
    g_list_free(children);
}

bool Inside(const GdkRectangle& inner, const GdkRectangle& outer)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

std::string RectText(const GdkRectangle& r)
{
    return std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
           std::to_string(r.y);
}

// The widget's allocation in its toplevel's coordinates.
GdkRectangle InToplevel(GtkWidget* widget, GtkWidget* toplevel)
{
    GdkRectangle r{0, 0, widget->allocation.width, widget->allocation.height};
    if (widget != toplevel)
        gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &r.x, &r.y);
    return r;
}

bool IsAncestor(GtkWidget* ancestor, GtkWidget* widget)
{
    for (GtkWidget* w = widget->parent; w != nullptr; w = w->parent)
        if (w == ancestor)
            return true;
    return false;
}

} // namespace

std::vector<ControlRect> VisibleControls(GtkWidget* window)
{
    std::vector<ControlRect> controls;
    if (window == nullptr || window->window == nullptr)
        return controls;
    int originX = 0, originY = 0;
    gdk_window_get_origin(window->window, &originX, &originY);
    Collect(window, [&](GtkWidget* w) {
        const GdkRectangle r = InToplevel(w, window);
        controls.push_back({w, NameOf(w), originX + r.x, originY + r.y, r.width, r.height});
    });
    return controls;
}

std::vector<std::string> ControlPlacementFaults(GtkWidget* window)
{
    std::vector<std::string> faults;
    if (window == nullptr || window->window == nullptr || !gtk_widget_get_mapped(window)) {
        faults.push_back("the window is not on the screen");
        return faults;
    }
    GdkScreen* screen = gtk_widget_get_screen(window);
    const GdkRectangle screenRect{0, 0, gdk_screen_get_width(screen), gdk_screen_get_height(screen)};
    int originX = 0, originY = 0;
    gdk_window_get_origin(window->window, &originX, &originY);
    const GdkRectangle windowRect{originX, originY, window->allocation.width, window->allocation.height};
    if (!Inside(windowRect, screenRect))
        faults.push_back("the window " + RectText(windowRect) + " leaves the screen " + RectText(screenRect));

    const std::vector<ControlRect> controls = VisibleControls(window);
    for (const ControlRect& c : controls) {
        const GdkRectangle r{c.x, c.y, c.width, c.height};
        if (!Inside(r, windowRect))
            faults.push_back(c.name + " " + RectText(r) + " lies outside the window " + RectText(windowRect));
        else if (!Inside(r, screenRect))
            faults.push_back(c.name + " " + RectText(r) + " lies outside the screen");
        // A parent smaller than the control cuts it off.
        const GdkRectangle own = InToplevel(c.widget, window);
        for (GtkWidget* p = c.widget->parent; p != nullptr && p != window; p = p->parent) {
            if (!Inside(own, InToplevel(p, window))) {
                faults.push_back(c.name + " is cut off by its parent " + G_OBJECT_TYPE_NAME(p));
                break;
            }
        }
        if (GTK_IS_LABEL(c.widget)) {
            GtkRequisition need;
            gtk_widget_size_request(c.widget, &need);
            if (c.width + 1 < need.width || c.height + 1 < need.height)
                faults.push_back(c.name + " needs " + std::to_string(need.width) + "x" + std::to_string(need.height) +
                                 " but has " + std::to_string(c.width) + "x" + std::to_string(c.height));
        }
    }
    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const ControlRect& a = controls[i];
            const ControlRect& b = controls[j];
            if (GTK_IS_LABEL(a.widget) || GTK_IS_LABEL(b.widget) || IsAncestor(a.widget, b.widget) ||
                IsAncestor(b.widget, a.widget))
                continue;
            const GdkRectangle ra{a.x, a.y, a.width, a.height}, rb{b.x, b.y, b.width, b.height};
            GdkRectangle both;
            if (gdk_rectangle_intersect(&ra, &rb, &both))
                faults.push_back(a.name + " " + RectText(ra) + " lies on " + b.name + " " + RectText(rb));
        }
    }
    return faults;
}
