// Switches the desktop's autoplay off before a burn, so that a freshly written disc
// does not open a window: two values under the current user's key.
#pragma once

// ERROR_SUCCESS or the registry error of the first write that failed.
long DisableAutorun();
