// The recovery console: splash, then the main window, then the main loop until the
// window is closed.
#include "ConsoleStartup.h"
#include "ResourceFolder.h"

#include <gtk/gtk.h>

#include <cstdio>

int main(int argc, char* argv[])
{
    const std::string missing = DescribeMissingResources("../res");
    if (!missing.empty()) {
        std::fprintf(stderr, "%s\n", missing.c_str());
        return 1;
    }
    gtk_init(&argc, &argv);
    // GLib's threads need no set-up of their own. gdk_threads_init is deliberately
    // not called: every GTK call stays on this thread.
    StartupRecord record;
    BeginConsoleStartup(record);
    gtk_main();
    return 0;
}
