#include "ViewsChain.h"

#include <cstdlib>

#include "CDiskMap.h"
#include "GuiEvents.h"
#include "GuiWait.h"
#include "MomPtr.h"
#include "vessmar/IVessmarModule.h"

bool NameViewsDisks(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& p : paths)
        list += (list.empty() ? "" : ":") + p;
    setenv(CDiskMap::kImagesVariable, list.c_str(), 1);
    // The executor opens the module beside itself in bin/; this is the same file.
    IModule* root = OpenModuleFromFile(VESSMAR_MODULE_FILE);
    if (root == nullptr)
        return false;
    IVessmarModule* vessmar = root->GetInterfaceT<IVessmarModule>("IVessmarModule");
    if (vessmar == nullptr)
        return false;
    vessmar->Refresh(0);
    return true;
}

ViewsTasque NewViewsTasque()
{
    return ViewsTasque(CreateTasqueObj());
}

std::string ViewsScratch(const std::string& name)
{
    const std::string folder = std::string(RVD_FIXTURE_CACHE) + "/scratch-" + name;
    const std::string command = "rm -rf '" + folder + "' && mkdir -p '" + folder + "'";
    return std::system(command.c_str()) == 0 ? folder : std::string();
}

void ClickTreeRow(GtkWidget* treeView, const char* path, int x, unsigned button)
{
    GtkTreeView* view = GTK_TREE_VIEW(treeView);
    GtkTreePath* p = gtk_tree_path_new_from_string(path);
    GdkRectangle area{0, 0, 0, 0};
    gtk_tree_view_get_background_area(view, p, gtk_tree_view_get_column(view, 0), &area);
    gtk_tree_path_free(p);
    int wx = 0, wy = 0;
    gtk_tree_view_convert_bin_window_to_widget_coords(view, area.x + x, area.y + area.height / 2, &wx, &wy);
    gui_events::MovePointerTo(treeView, wx, wy);
    gui_wait::Settle(20);
    gui_events::PressButton(button);
    gui_events::ReleaseButton(button);
    gui_wait::Settle(40);
}

void TapTreeKey(GtkWidget* treeView, unsigned keyval)
{
    gtk_widget_grab_focus(treeView);
    gui_events::Focus(gtk_widget_get_toplevel(treeView));
    gui_wait::Settle(20);
    gui_events::TapKey(keyval);
    gui_wait::Settle(40);
}

GtkWidget* WindowWith(GtkWidget* widget, int width, int height)
{
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), width, height);
    gtk_container_add(GTK_CONTAINER(window), widget);
    return window;
}
