// A semaphore: signalled while its count is above zero; each wait takes one.
#pragma once

#include "KernelObject.h"

namespace ks_platform {

class SemaphoreObject : public KernelObject {
public:
    SemaphoreObject(LONG count, LONG maximum) : count_(count), maximum_(maximum) {}
    ObjectKind Kind() const override { return ObjectKind::Semaphore; }
    bool Waitable() const override { return true; }
    bool Signalled(DWORD) const override { return count_ > 0; }
    bool Take(DWORD) override
    {
        --count_;
        return false;
    }
    // ERROR_SUCCESS, or ERROR_TOO_MANY_POSTS (count unchanged) when the count would
    // pass the maximum. Called with the wait lock held.
    DWORD Release(LONG count, LONG& previous)
    {
        previous = count_;
        if (count > maximum_ - count_)
            return ERROR_TOO_MANY_POSTS;
        count_ += count;
        return ERROR_SUCCESS;
    }

private:
    LONG count_;
    const LONG maximum_;
};

} // namespace ks_platform
