#include "EnvScriptsInBackground.h"

#include <gtk/gtk.h>

#include <deque>
#include <memory>

#include "IEnvCommandRunner.h"

namespace {

struct BackgroundRun {
    GtkWidget* window = nullptr; // a reference is held while the run lasts
    bool wasSensitive = true;
    std::deque<std::string> left;
    bool scriptRunning = false; // its end comes back to StartNext
};

BackgroundRun* g_run = nullptr;

void SetWaitCursor(GtkWidget* window, bool wait)
{
    if (window == nullptr || window->window == nullptr)
        return;
    GdkCursor* cursor = wait ? gdk_cursor_new(GDK_WATCH) : nullptr;
    gdk_window_set_cursor(window->window, cursor);
    if (cursor != nullptr)
        gdk_cursor_unref(cursor);
    gdk_flush();
}

void EndRun()
{
    BackgroundRun* run = g_run;
    g_run = nullptr;
    if (run->window != nullptr) {
        SetWaitCursor(run->window, false);
        gtk_widget_set_sensitive(run->window, run->wasSensitive);
        g_object_unref(run->window);
    }
    delete run;
}

void StartNext()
{
    // A runner that finishes inside Start calls back at once: the loop, not recursion,
    // goes on to the next script.
    while (g_run != nullptr && !g_run->scriptRunning) {
        if (g_run->left.empty()) {
            EndRun();
            return;
        }
        const std::string script = g_run->left.front();
        g_run->left.pop_front();
        g_run->scriptRunning = true;
        // Shared with the callback, which may come long after this frame is gone.
        const auto inside = std::make_shared<bool>(true);
        const auto endedInside = std::make_shared<bool>(false);
        EnvCommandRunner().Start({script}, [inside, endedInside](int) {
            if (*inside) {
                *endedInside = true;
                return;
            }
            if (g_run != nullptr) {
                g_run->scriptRunning = false;
                StartNext();
            }
        });
        *inside = false;
        if (!*endedInside)
            return;
        g_run->scriptRunning = false;
    }
}

} // namespace

void RunEnvScriptsInBackground(GtkWidget* window, const std::vector<std::string>& scripts)
{
    if (g_run == nullptr) {
        g_run = new BackgroundRun();
        if (window != nullptr) {
            g_run->window = GTK_WIDGET(g_object_ref(window));
            g_run->wasSensitive = GTK_WIDGET_SENSITIVE(window);
            gtk_widget_set_sensitive(window, FALSE);
            SetWaitCursor(window, true);
        }
    }
    g_run->left.insert(g_run->left.end(), scripts.begin(), scripts.end());
    StartNext();
}

bool EnvScriptsRunning()
{
    return g_run != nullptr;
}
