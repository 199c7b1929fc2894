// The command executor: takes command records (command/KSCommandPacket.h) from the
// command object and turns each into a call on the engine it owns, or into a small
// operation of its own (partition edits through "Vessmar", a file-system check through
// "Tillory", deleting an image set). Result codes carry module number 7.
#pragma once

#include "command/KSCommandPacket.h"

#if defined(_WIN32)
#define KS_ORDWELL_EXPORT
#else
#define KS_ORDWELL_EXPORT __attribute__((visibility("default")))
#endif

class IOrdwell {
public:
    virtual ~IOrdwell() {}
    // replyHolder: the address of a variable holding the reply record, or null when
    // the command has none. withProgress non-zero runs the command behind a modal
    // progress window (a plain run where there is no window) and returns its result.
    virtual unsigned long Execute(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** replyHolder, int withProgress) = 0;
    // Destroys the object; returns 0.
    virtual unsigned long Release() = 0;
    virtual unsigned long MountImage(_KS_CMD_PACKET* packet) = 0;
    virtual unsigned long UnmountImage(_KS_CMD_PACKET* packet) = 0;
    virtual unsigned long EjectImage(_KS_CMD_PACKET* packet) = 0;
    virtual unsigned long GetMountedDisks(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** replyHolder) = 0;
};

// A new executor per call with its own engines; null when it cannot be made.
extern "C" KS_ORDWELL_EXPORT IOrdwell* CreateOrdwellObj();
