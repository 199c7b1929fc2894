// The console's start: the main window built hidden, the splash shown, the
// start-up thread started, and a 200 ms poll that swaps the splash for the main
// window at the first tick after the start-up flag is up.
#pragma once

#include "StartupThread.h"

#include <gtk/gtk.h>

class CFlashDlg;
class CMainWnd;

struct StartupRecord {
    CFlashDlg* flash = nullptr;
    CMainWnd* mainWnd = nullptr;
};

constexpr guint kStartupPollMs = 200;

// Builds the main window and the splash into record, starts the thread through
// starter and adds the poll. record must live until the poll has run its course.
void BeginConsoleStartup(StartupRecord& record, ThreadStarter starter = StartDetachedThread);

// The poll: TRUE while start-up goes on; at the end the splash is destroyed (and
// record.flash cleared), the main window shown and FALSE returned.
gboolean TimeOutFun(gpointer record);

// Id of the poll, 0 once it has ended.
guint StartupPollId();

// Ends a poll still running, for a start-up abandoned before it was over (tests
// that drop their record): the poll must not outlive the record it reads.
void StopStartupPoll();
