#include "OrdwellProgressWindow.h"

#include <gtk/gtk.h>

#include <atomic>
#include <thread>

namespace {

// The bar's colours: the trail it leaves, and its head.
constexpr double kTrail[3] = {0.4823529411764706, 0.6666666666666666, 1.0};
constexpr double kHead[3] = {0.8784313725490196, 0.9215686274509803, 1.0};
constexpr int kHeadWidth = 7;
constexpr int kStep = 5;

// Everything one window shares between its worker, its timer and its caller. One per
// window, so two executors' windows never mix their state.
struct ProgressRun {
    std::function<unsigned long()> work;
    unsigned long result = 0;
    std::atomic<bool> done{false};
    std::thread worker;
    GtkWidget* dialog = nullptr;
    GtkWidget* picture = nullptr;
    guint timer = 0;
    int x = 1;
};

void FillRect(cairo_t* cr, const double rgb[3], int x, int y, int w, int h)
{
    cairo_set_source_rgb(cr, rgb[0], rgb[1], rgb[2]);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

// One step of the bar along the picture's foot.
void DrawStep(ProgressRun& run)
{
    GdkWindow* window = gtk_widget_get_window(run.picture);
    if (window == nullptr)
        return;
    GtkAllocation a;
    gtk_widget_get_allocation(run.picture, &a);
    const int w = a.width;
    const int y = a.y + a.height - 10;
    cairo_t* cr = gdk_cairo_create(window);
    cairo_translate(cr, a.x, 0);
    if (run.x != 1)
        FillRect(cr, kTrail, run.x - kStep, y, kHeadWidth, 2);
    FillRect(cr, kHead, run.x, y, w - run.x > 6 ? kHeadWidth : w - run.x - 1, 2);
    run.x += kStep;
    if (run.x >= w) {
        FillRect(cr, kTrail, w - kHeadWidth, y, kHeadWidth, 2);
        const double black[3] = {0, 0, 0};
        FillRect(cr, black, w - 1, y, 1, 2);
        run.x = 1;
    }
    cairo_destroy(cr);
}

gboolean OnTick(gpointer data)
{
    ProgressRun& run = *static_cast<ProgressRun*>(data);
    if (run.dialog == nullptr) { // destroyed from outside
        run.timer = 0;
        return FALSE;
    }
    DrawStep(run);
    if (!run.done.load())
        return TRUE;
    run.timer = 0;
    gtk_widget_destroy(run.dialog); // ends gtk_dialog_run
    return FALSE;
}

void OnDestroy(GtkWidget*, gpointer data)
{
    ProgressRun& run = *static_cast<ProgressRun*>(data);
    run.dialog = nullptr;
    run.picture = nullptr;
}

void OnShow(GtkWidget*, gpointer data)
{
    ProgressRun& run = *static_cast<ProgressRun*>(data);
    if (run.worker.joinable())
        return;
    run.worker = std::thread([&run] {
        run.result = run.work();
        run.done.store(true);
    });
    run.timer = g_timeout_add(OrdwellProgressWindow::kTickMs, &OnTick, &run);
}

GtkWidget* BuildWindow(ProgressRun& run)
{
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_icon_from_file(GTK_WINDOW(dialog), OrdwellProgressWindow::kIconFile, nullptr);
    gtk_window_set_title(GTK_WINDOW(dialog), "");
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_decorated(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), row);
    gtk_widget_set_size_request(gtk_dialog_get_action_area(GTK_DIALOG(dialog)), 0, 0);
    run.picture = gtk_image_new_from_file(OrdwellProgressWindow::kPictureFile);
    gtk_box_pack_start(GTK_BOX(row), run.picture, FALSE, FALSE, 0);
    g_signal_connect(dialog, "show", G_CALLBACK(&OnShow), &run);
    g_signal_connect(dialog, "destroy", G_CALLBACK(&OnDestroy), &run);
    return dialog;
}

} // namespace

unsigned long OrdwellProgressWindow::Run(const std::function<unsigned long()>& work)
{
    if (gdk_display_get_default() == nullptr)
        return work();
    ProgressRun run;
    run.work = work;
    run.dialog = BuildWindow(run);
    gtk_widget_show_all(run.dialog);
    gtk_dialog_run(GTK_DIALOG(run.dialog));
    // The dialog may end another way (destroyed from outside): the work still finishes.
    if (run.worker.joinable())
        run.worker.join();
    if (run.timer != 0)
        g_source_remove(run.timer);
    if (run.dialog != nullptr)
        gtk_widget_destroy(run.dialog);
    return run.result;
}
