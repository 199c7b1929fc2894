#include "GuiTest.h"

#include "GuiEvents.h"
#include "GuiWait.h"
#include "GuiWorkspace.h"
#include "XvfbDisplay.h"

#include <csignal>
#include <unistd.h>

bool GuiTest::ready_ = false;
std::string GuiTest::error_;

// Fontconfig (and pango's map over it) keeps its configuration and font caches for
// the life of the process on purpose; those one-time allocations are not leaks of
// ours. Everything else stays checked.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libpangoft2\n";
}

namespace {

void OnDeadline(int)
{
    static const char message[] = "\nGUI test passed its deadline; ending the process\n";
    ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    _exit(124);
}

// A GLib or toolkit critical or warning is a fault of the program under test (a
// freed widget used, a wrong cast, a call out of order): it fails the test running.
void FailOnToolkitWarning(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer)
{
    g_log_default_handler(domain, level, message, nullptr);
    if ((level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING)) != 0)
        ADD_FAILURE() << (domain ? domain : "") << ((level & G_LOG_LEVEL_WARNING) ? " warning: " : " critical: ")
                      << (message ? message : "");
}

} // namespace

void GuiTest::SetUpTestSuite()
{
    if (ready_)
        return;
    g_log_set_default_handler(FailOnToolkitWarning, nullptr);
    if (!XvfbDisplay::Shared().Start(&error_))
        return;
    if (!GuiWorkspace::Shared().Prepare(&error_))
        return;
    if (!gtk_init_check(nullptr, nullptr)) {
        error_ = "GTK could not open the display " + XvfbDisplay::Shared().Name();
        return;
    }
    ready_ = true;
}

void GuiTest::SetUp()
{
    ASSERT_TRUE(ready_) << error_;
    signal(SIGALRM, OnDeadline);
    alarm(kTestDeadlineSeconds);
    gui_events::MovePointerAway();
    gui_wait::Settle();
}

void GuiTest::TearDown()
{
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* it = toplevels; it; it = it->next)
        g_object_ref(it->data);
    for (GList* it = toplevels; it; it = it->next) {
        GtkWidget* window = GTK_WIDGET(it->data);
        if (gtk_widget_get_visible(window) || GTK_WINDOW(window)->type == GTK_WINDOW_TOPLEVEL)
            gtk_widget_destroy(window);
        g_object_unref(window);
    }
    g_list_free(toplevels);
    if (ready_)
        gui_wait::Settle(20, 500);
    alarm(0);
}

bool GuiTest::ShowAndSettle(GtkWidget* window)
{
    gtk_widget_show_all(window);
    const bool mapped = gui_wait::Until([&] { return gtk_widget_get_mapped(window) != FALSE; });
    gui_wait::Settle();
    return mapped;
}
