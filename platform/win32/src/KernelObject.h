// What a handle of the handle table stands for. Waitable kinds answer whether they
// are signalled for a thread and take themselves for it when a wait ends; both are
// called with the wait lock (WaitLock.h) held.
#pragma once

#include <windows.h>

namespace ks_platform {

enum class ObjectKind {
    File,
    Device,
    Thread,
    Event,
    Mutex,
    Semaphore,
    ServiceManager,
    Service,
    RuntimeSearch, // a search of _wfindfirst64
    FileMapping,
    Process,
};

class KernelObject {
public:
    virtual ~KernelObject() = default;
    virtual ObjectKind Kind() const = 0;

    virtual bool Waitable() const { return false; }
    virtual bool Signalled(DWORD /*thread*/) const { return false; }
    // Returns true when the wait takes an abandoned mutex.
    virtual bool Take(DWORD /*thread*/) { return false; }
};

} // namespace ks_platform
