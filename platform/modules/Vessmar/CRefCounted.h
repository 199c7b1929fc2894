// Lifetime of the module's objects. Two counts: references that callers took with
// AddRef, and holds of the module itself (a disk holding its partitions, an iterator
// holding its items, a partition holding its disk). An object lives while either
// count is above zero. A caller's Release never goes below zero, so a caller that
// releases an item it only borrowed from an iterator cannot destroy it under the
// tree. Callers of the module hold the module lock (VessmarLock) around every call.
#pragma once

class CRefCounted {
public:
    CRefCounted(const CRefCounted&) = delete;
    CRefCounted& operator=(const CRefCounted&) = delete;

    unsigned long AddCallerRef() { return ++callerRefs_; }
    unsigned long ReleaseCallerRef()
    {
        if (callerRefs_ > 0)
            --callerRefs_;
        const unsigned long left = callerRefs_;
        DeleteIfUnused();
        return left;
    }
    void Hold() { ++holds_; }
    void Unhold()
    {
        if (holds_ > 0)
            --holds_;
        DeleteIfUnused();
    }

protected:
    CRefCounted() {}
    virtual ~CRefCounted() {}

private:
    void DeleteIfUnused()
    {
        if (callerRefs_ == 0 && holds_ == 0)
            delete this;
    }

    unsigned long callerRefs_ = 0;
    unsigned long holds_ = 0;
};
