#include "VessmarRescan.h"

#include <atomic>

namespace {

std::atomic<bool> g_bIsEnd{false};

IVessmarModule* OpenRealVessmar()
{
    return OpenModuleT<IVessmarModule>("Vessmar");
}

std::atomic<VessmarOpener> g_opener{OpenRealVessmar};

} // namespace

void SetVessmarOpener(VessmarOpener opener)
{
    g_opener = opener ? opener : OpenRealVessmar;
}

IVessmarModule* OpenVessmarModule()
{
    return g_opener.load()();
}

void ClearScanEndFlag()
{
    g_bIsEnd = false;
}

void SetScanEndFlag()
{
    g_bIsEnd = true;
}

bool TakeScanEndFlag()
{
    return g_bIsEnd.exchange(false);
}

gpointer ExcuteVessmarCreate(gpointer)
{
    if (IVessmarModule* module = OpenVessmarModule())
        module->Refresh(0); // the scan's result changes nothing here: the wizard reads what there is
    SetScanEndFlag();
    return nullptr;
}

bool StartVessmarRescan()
{
    GThread* worker = g_thread_try_new("vessmar-rescan", ExcuteVessmarCreate, nullptr, nullptr);
    if (worker == nullptr) {
        SetScanEndFlag();
        return false;
    }
    g_thread_unref(worker); // detached: it ends by itself once the flag is up
    return true;
}
