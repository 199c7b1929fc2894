// The one word the start-up thread shares with the GTK main thread: set once the
// start-up work is over, read by the main thread's poll. Both only under a lock.
#pragma once

void SetStartupOverSymbol();
bool CheckStartupOverSymbol();
// Back to "not over" (a fresh start in the same process, as tests make).
void ClearStartupOverSymbol();
