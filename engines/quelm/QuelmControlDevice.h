// The snapshot driver's control device, shared by every context of the process: the
// first context to open opens it, the last to close closes it.
#pragma once

#include <windows.h>

class QuelmControlDevice {
public:
    // Opens the device when no context has it open, and counts the caller. 0, or the
    // create-object kind 0x10F when the device does not open.
    static unsigned long Attach();
    // Uncounts one context; the last one closes the device.
    static void Detach();
    static HANDLE Handle();
    // Contexts that hold the device now.
    static unsigned Users();
};
