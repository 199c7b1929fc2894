#include "StartupOverSymbol.h"

#include <glib.h>

namespace {
bool g_bStartupOverSymbol = false;
G_LOCK_DEFINE_STATIC(StartupOverSymbol_lock);
} // namespace

void SetStartupOverSymbol()
{
    G_LOCK(StartupOverSymbol_lock);
    g_bStartupOverSymbol = true;
    G_UNLOCK(StartupOverSymbol_lock);
}

bool CheckStartupOverSymbol()
{
    G_LOCK(StartupOverSymbol_lock);
    const bool over = g_bStartupOverSymbol;
    G_UNLOCK(StartupOverSymbol_lock);
    return over;
}

void ClearStartupOverSymbol()
{
    G_LOCK(StartupOverSymbol_lock);
    g_bStartupOverSymbol = false;
    G_UNLOCK(StartupOverSymbol_lock);
}
