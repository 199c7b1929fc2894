// The values one run of the check-image wizard shares between its pages: whether
// the user refused a disc or file change, the volume whose block was shown last, and
// the texts the selection page keeps. A new wizard starts them fresh, so nothing of
// an earlier run leaks into the next one.
#pragma once

#include <atomic>
#include <string>

struct ChkImgRunState {
    // Set when the user refused a disc or file change; a failed end then reports the
    // cancel code instead of the engine's own. Written by the main thread only, read
    // by it too, but kept atomic as the engine's thread runs meanwhile.
    std::atomic<bool> cancelFromCD{false};
    int lastShownIndex = -1;
    std::string rememberedPath;   // at most 511 bytes
    std::string versionErrorText; // at most 511 bytes: two blanks and the message
    std::string descriptionTip;   // at most 4,095 bytes
};
