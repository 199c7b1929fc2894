// A mutex: owned by one thread at a time, recursively. When its owner ends without
// releasing it, the next wait takes it as abandoned.
#pragma once

#include "KernelObject.h"

#include <memory>

namespace ks_platform {

class MutexObject : public KernelObject, public std::enable_shared_from_this<MutexObject> {
public:
    ObjectKind Kind() const override { return ObjectKind::Mutex; }
    bool Waitable() const override { return true; }
    bool Signalled(DWORD thread) const override { return owner_ == 0 || owner_ == thread; }
    bool Take(DWORD thread) override;

    // ERROR_SUCCESS, or ERROR_NOT_OWNER when thread does not own the mutex. Called with
    // the wait lock held.
    DWORD Release(DWORD thread);
    // The owner ended. Called with the wait lock held.
    void Abandon(DWORD thread);

private:
    DWORD owner_ = 0;
    unsigned recursion_ = 0;
    bool abandoned_ = false;
};

} // namespace ks_platform
