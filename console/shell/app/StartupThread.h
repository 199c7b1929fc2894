// The start-up thread: the place for work done before the main window shows. It
// touches no GTK object; it only raises the start-up flag when done.
#pragma once

#include <glib.h>

// Body of the start-up thread; the argument (the main window) is not used.
gpointer ExcuteVessmarInit(gpointer mainWnd);

// Starts body(data) on a detached thread; false when no thread could be made.
using ThreadStarter = bool (*)(GThreadFunc body, gpointer data);
bool StartDetachedThread(GThreadFunc body, gpointer data);

// Starts the start-up thread through starter. When no thread can be made, the flag
// is raised here on the main thread, so the main window still appears.
bool StartStartupThread(gpointer mainWnd, ThreadStarter starter = StartDetachedThread);
