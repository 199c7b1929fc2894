#include "StartupThread.h"

#include "StartupOverSymbol.h"

gpointer ExcuteVessmarInit(gpointer)
{
    SetStartupOverSymbol();
    return nullptr;
}

bool StartDetachedThread(GThreadFunc body, gpointer data)
{
    GThread* thread = g_thread_try_new("startup", body, data, nullptr);
    if (thread == nullptr)
        return false;
    g_thread_unref(thread); // not joined: it ends by itself
    return true;
}

bool StartStartupThread(gpointer mainWnd, ThreadStarter starter)
{
    if (starter != nullptr && starter(ExcuteVessmarInit, mainWnd))
        return true;
    ExcuteVessmarInit(mainWnd);
    return false;
}
