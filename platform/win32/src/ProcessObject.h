// A child process started by CreateProcessA/W. Signalled when it has ended; its exit
// code is STILL_ACTIVE until then.
#pragma once

#include "KernelObject.h"

#include <sys/types.h>

namespace ks_platform {

class ProcessObject : public KernelObject {
public:
    explicit ProcessObject(pid_t pid) : pid_(pid) {}
    ObjectKind Kind() const override { return ObjectKind::Process; }
    bool Waitable() const override { return true; }
    bool Signalled(DWORD) const override { return ended_; }

    pid_t Pid() const { return pid_; }
    // Called with the wait lock held.
    DWORD ExitCode() const { return ended_ ? exitCode_ : STILL_ACTIVE; }
    void End(DWORD exitCode)
    {
        exitCode_ = exitCode;
        ended_ = true;
    }

private:
    const pid_t pid_;
    bool ended_ = false;
    DWORD exitCode_ = 0;
};

} // namespace ks_platform
