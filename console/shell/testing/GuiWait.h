// Waiting for the toolkit, always with a deadline: no wait can hang a test run.
#pragma once

#include <functional>

namespace gui_wait {

constexpr int kDefaultTimeoutMs = 5000;

// Sends what is queued to the X server, waits until it has handled it, and
// dispatches every event and redraw that is pending.
void Pump();
// Pumps until nothing has arrived for quietMs (at most timeoutMs in all).
void Settle(int quietMs = 60, int timeoutMs = 2000);
// Pumps until the condition holds; false when the deadline passed first.
bool Until(const std::function<bool()>& condition, int timeoutMs = kDefaultTimeoutMs);

} // namespace gui_wait
