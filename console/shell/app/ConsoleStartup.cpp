#include "ConsoleStartup.h"

#include "CFlashDlg.h"
#include "CMainWnd.h"
#include "StartupOverSymbol.h"

namespace {
guint g_iMainTimeoutId = 0;
} // namespace

guint StartupPollId()
{
    return g_iMainTimeoutId;
}

void StopStartupPoll()
{
    if (g_iMainTimeoutId != 0) {
        g_source_remove(g_iMainTimeoutId);
        g_iMainTimeoutId = 0;
    }
}

void BeginConsoleStartup(StartupRecord& record, ThreadStarter starter)
{
    record.mainWnd = new CMainWnd();
    record.flash = new CFlashDlg(nullptr);
    record.flash->ShowDlg();
    StartStartupThread(record.mainWnd, starter);
    g_iMainTimeoutId = g_timeout_add(kStartupPollMs, TimeOutFun, &record);
}

gboolean TimeOutFun(gpointer data)
{
    if (!CheckStartupOverSymbol())
        return TRUE;
    StartupRecord* record = static_cast<StartupRecord*>(data);
    g_iMainTimeoutId = 0;
    if (record->flash) {
        record->flash->DestroyDlg();
        record->flash = nullptr;
    }
    if (record->mainWnd)
        record->mainWnd->ShowWnd();
    return FALSE;
}
