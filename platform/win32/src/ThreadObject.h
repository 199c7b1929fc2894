// A thread started by the layer. Signalled when it has ended; its exit code is
// STILL_ACTIVE until then.
#pragma once

#include "KernelObject.h"

#include <functional>

namespace ks_platform {

class ThreadObject : public KernelObject {
public:
    explicit ThreadObject(DWORD id, bool suspended) : id_(id), suspended_(suspended) {}
    ObjectKind Kind() const override { return ObjectKind::Thread; }
    bool Waitable() const override { return true; }
    bool Signalled(DWORD) const override { return ended_; }

    DWORD Id() const { return id_; }
    // The rest are called with the wait lock held.
    DWORD ExitCode() const { return ended_ ? exitCode_ : STILL_ACTIVE; }
    bool Suspended() const { return suspended_; }
    void Resume() { suspended_ = false; }
    void End(DWORD exitCode)
    {
        exitCode_ = exitCode;
        ended_ = true;
    }
    int priority = THREAD_PRIORITY_NORMAL;

private:
    const DWORD id_;
    bool suspended_;
    bool ended_ = false;
    DWORD exitCode_ = 0;
};

// Starts body on a new thread with a new thread object; the thread's handle, or null
// with the last error set. The thread waits while suspended.
HANDLE StartThread(std::function<DWORD()> body, bool suspended, DWORD* threadId);

} // namespace ks_platform
