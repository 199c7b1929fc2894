// "Help": the console's help viewer. Started by the console from its working folder
// as "Help TOPIC", it shows that topic's page; a new start from the console ends the
// previous viewer with signal 6, and the viewer also closes when the console ends.
#include "HelpPage.h"

#include <gtk/gtk.h>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

// In sanitized builds: fontconfig (and pango's map over it) keeps its configuration
// and font caches for the life of the process on purpose; those are not leaks of the
// viewer. Everything else stays checked.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libpangoft2\n";
}

namespace {
// Nothing to save: the viewer leaves at once and cleanly on the console's signals.
void LeaveOnSignal(int)
{
    _exit(0);
}

void InstallSignalHandlers()
{
    struct sigaction leave = {};
    leave.sa_handler = LeaveOnSignal;
    sigemptyset(&leave.sa_mask);
    for (int signal : {SIGABRT, SIGTERM, SIGHUP})
        sigaction(signal, &leave, nullptr);
}

GtkWidget* PageWindow(const HelpPage& page)
{
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    const std::string title = "Help - " + page.title;
    gtk_window_set_title(GTK_WINDOW(window), page.known ? title.c_str() : "Help");
    gtk_window_set_default_size(GTK_WINDOW(window), 560, 420);
    if (GdkPixbuf* icon = gdk_pixbuf_new_from_file("../res/main.png", nullptr)) {
        gtk_window_set_icon(GTK_WINDOW(window), icon);
        g_object_unref(icon);
    }
    GtkWidget* box = gtk_vbox_new(FALSE, 6);
    gtk_container_set_border_width(GTK_CONTAINER(box), 10);
    GtkWidget* heading = gtk_label_new(nullptr);
    gchar* markup = g_markup_printf_escaped("<big><b>%s</b></big>", page.title.c_str());
    gtk_label_set_markup(GTK_LABEL(heading), markup);
    g_free(markup);
    gtk_misc_set_alignment(GTK_MISC(heading), 0.0f, 0.5f);
    gtk_box_pack_start(GTK_BOX(box), heading, FALSE, FALSE, 0);

    GtkWidget* text = gtk_text_view_new();
    gtk_text_view_set_editable(GTK_TEXT_VIEW(text), FALSE);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(text), FALSE);
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(text), GTK_WRAP_WORD);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(text)), page.text.c_str(), -1);
    GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroll), GTK_SHADOW_ETCHED_IN);
    gtk_container_add(GTK_CONTAINER(scroll), text);
    gtk_box_pack_start(GTK_BOX(box), scroll, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window), box);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    return window;
}
} // namespace

int main(int argc, char** argv)
{
    InstallSignalHandlers();
    // The console may end without a word: the viewer goes with it.
    const pid_t console = getppid();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != console)
        return 0;
    if (!gtk_init_check(&argc, &argv))
        return 1;
    const HelpPage page = LoadHelpPage(DefaultHelpFolder(), argc > 1 ? argv[1] : "");
    gtk_widget_show_all(PageWindow(page));
    gtk_main();
    return 0;
}
