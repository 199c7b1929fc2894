#include "CloneGuiDriver.h"

#include <sys/stat.h>

#include <cstring>

#include "GuiEvents.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"
#include "PixelSnapshot.h"

CloneGuiDriver::CloneGuiDriver(std::vector<CloneGuiStep> steps, int stepTimeoutMs)
    : steps_(std::move(steps)), stepTimeoutMs_(stepTimeoutMs), stepStarted_(g_get_monotonic_time())
{
    source_ = g_timeout_add(50, Tick, this);
}

CloneGuiDriver::~CloneGuiDriver()
{
    if (source_ != 0)
        g_source_remove(source_);
}

void CloneGuiDriver::CheckAfterClose()
{
    while (stuck_.empty() && next_ < steps_.size() && !steps_[next_].act &&
           (!steps_[next_].ready || steps_[next_].ready()))
        ++next_;
}

gboolean CloneGuiDriver::Tick(gpointer self)
{
    CloneGuiDriver* d = static_cast<CloneGuiDriver*>(self);
    if (d->next_ >= d->steps_.size()) {
        d->source_ = 0;
        return FALSE;
    }
    CloneGuiStep& step = d->steps_[d->next_];
    if (step.ready && !step.ready()) {
        if (g_get_monotonic_time() - d->stepStarted_ > gint64(d->stepTimeoutMs_) * 1000) {
            d->stuck_ = step.what;
            d->source_ = 0;
            // Closes the top dialog, then whatever is left, so the run returns.
            for (int i = 0; i < 4; ++i)
                if (GtkDialog* dialog = ModalDialogAnswerer::FindModalDialog())
                    gtk_widget_destroy(GTK_WIDGET(dialog));
            return FALSE;
        }
        return TRUE;
    }
    ++d->next_;
    d->stepStarted_ = g_get_monotonic_time();
    if (step.act)
        step.act();
    return TRUE;
}

GtkWidget* VisibleDialog(const char* title)
{
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w != nullptr; w = w->next) {
        GtkWidget* window = GTK_WIDGET(w->data);
        const char* t = gtk_window_get_title(GTK_WINDOW(window));
        if (GTK_IS_DIALOG(window) && GTK_WIDGET_MAPPED(window) && t != nullptr && std::strcmp(t, title) == 0)
            found = window;
    }
    g_list_free(windows);
    return found;
}

namespace {
void CollectLabels(GtkWidget* widget, gpointer out)
{
    if (GTK_IS_LABEL(widget)) {
        std::string& text = *static_cast<std::string*>(out);
        const char* own = gtk_label_get_text(GTK_LABEL(widget));
        if (own != nullptr && std::strlen(own) > text.size() && GTK_IS_BUTTON(gtk_widget_get_parent(widget)) == FALSE)
            text = own;
    } else if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(GTK_CONTAINER(widget), CollectLabels, out);
    }
}
} // namespace

std::string MessageText(GtkWidget* dialog)
{
    std::string text;
    if (dialog != nullptr)
        CollectLabels(dialog, &text);
    return text;
}

void ClickDialogResponse(GtkWidget* dialog, int response)
{
    if (GtkWidget* button = ModalDialogAnswerer::ButtonForResponse(GTK_DIALOG(dialog), response))
        gui_events::Click(button);
}

void ClickTreeRow(GtkWidget* treeView, int row)
{
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    // A row below the list's visible part is scrolled to first: a click there would
    // land on nothing.
    gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(treeView), path, nullptr, FALSE, 0, 0);
    gui_wait::Settle();
    GdkRectangle cell;
    GtkTreeViewColumn* column = gtk_tree_view_get_column(GTK_TREE_VIEW(treeView), 1);
    gtk_tree_view_get_cell_area(GTK_TREE_VIEW(treeView), path, column, &cell);
    gtk_tree_path_free(path);
    int x = 0, y = 0;
    gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(treeView), cell.x + cell.width / 2,
                                                      cell.y + cell.height / 2, &x, &y);
    gui_events::MovePointerTo(treeView, x, y);
    gui_events::PressButton(1);
    gui_events::ReleaseButton(1);
}

bool TreeRowShown(GtkWidget* treeView, int row)
{
    if (treeView == nullptr || !GTK_WIDGET_MAPPED(treeView))
        return false;
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(treeView));
    if (model == nullptr || gtk_tree_model_iter_n_children(model, nullptr) <= row)
        return false;
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    GdkRectangle cell;
    gtk_tree_view_get_cell_area(GTK_TREE_VIEW(treeView), path, gtk_tree_view_get_column(GTK_TREE_VIEW(treeView), 1),
                                &cell);
    gtk_tree_path_free(path);
    return cell.height > 0;
}

void SaveArtifact(GtkWidget* widget, const std::string& name)
{
    const std::string folder = RVD_ARTIFACTS_DIR;
    mkdir(folder.c_str(), 0755);
    PixelSnapshot shot = PixelSnapshot::OfWidget(widget);
    shot.SaveForInspection((folder + "/" + name).c_str());
}

bool Sensitive(GtkWidget* widget)
{
    return widget != nullptr && GTK_WIDGET_IS_SENSITIVE(widget);
}
