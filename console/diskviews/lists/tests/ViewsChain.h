// The real chain under the disk-view tests: the disk map names the fixture disk images,
// the device manager module rescans them, and command objects come from the command
// builder's own factory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtk/gtk.h>

#include "ITasque.h"

struct ViewsTasqueRelease {
    void operator()(ITasque* t) const { t->Release(); }
};
using ViewsTasque = std::unique_ptr<ITasque, ViewsTasqueRelease>;

// Names the disks (disk n is paths[n]) and rescans them as the device-scan dialog does.
// False when the device manager module cannot be opened.
bool NameViewsDisks(const std::vector<std::string>& paths);
ViewsTasque NewViewsTasque();

// A scratch folder for one test, removed and made again.
std::string ViewsScratch(const std::string& name);

// Real clicks on a tree row (at x pixels into the first column) and a key tap, each
// followed by the toolkit settling.
void ClickTreeRow(GtkWidget* treeView, const char* path, int x = 60, unsigned button = 1);
void TapTreeKey(GtkWidget* treeView, unsigned keyval);
// A toplevel window of that size holding widget, not shown yet.
GtkWidget* WindowWith(GtkWidget* widget, int width, int height);
