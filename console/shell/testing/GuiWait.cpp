#include "GuiWait.h"

#include <gtk/gtk.h>

#include <chrono>
#include <thread>

namespace gui_wait {

namespace {

using Clock = std::chrono::steady_clock;

// Dispatches what is pending, at most `limit` events so that a busy source cannot
// keep the loop here forever; true when something was dispatched.
bool DispatchPending(int limit = 1000)
{
    bool any = false;
    for (int i = 0; i < limit && gtk_events_pending(); ++i) {
        gtk_main_iteration_do(FALSE);
        any = true;
    }
    return any;
}

} // namespace

void Pump()
{
    gdk_flush();
    DispatchPending();
    gdk_window_process_all_updates();
    gdk_flush();
}

void Settle(int quietMs, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto quietSince = Clock::now();
    while (Clock::now() < deadline) {
        gdk_flush();
        const bool any = DispatchPending();
        gdk_window_process_all_updates();
        if (any)
            quietSince = Clock::now();
        else if (Clock::now() - quietSince >= std::chrono::milliseconds(quietMs))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool Until(const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        Pump();
        if (condition())
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace gui_wait
