// An event: signalled until reset (manual reset) or until one wait takes it
// (automatic reset).
#pragma once

#include "KernelObject.h"

namespace ks_platform {

class EventObject : public KernelObject {
public:
    EventObject(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}
    ObjectKind Kind() const override { return ObjectKind::Event; }
    bool Waitable() const override { return true; }
    bool Signalled(DWORD) const override { return signalled_; }
    bool Take(DWORD) override
    {
        if (!manualReset_)
            signalled_ = false;
        return false;
    }
    // Called with the wait lock held.
    void Set(bool signalled) { signalled_ = signalled; }

private:
    const bool manualReset_;
    bool signalled_;
};

} // namespace ks_platform
