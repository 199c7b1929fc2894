// The kernel services' last error, kept per worker thread. A driver-wide value
// would let one disk's worker read the error another disk's worker set.
#include "KernelServices.h"

namespace zedisk {

namespace {

struct ErrorSlot {
    uintptr_t thread;
    uint32_t value;
};

constexpr int kSlots = 64;

struct ErrorSlots {
    ErrorSlot slots[kSlots];
    uint32_t shared;   // for threads without a slot of their own
};

ErrorSlots& Slots()
{
    static ErrorSlots slots;
    return slots;
}

// A slot is taken by storing the thread's id over 0; only its own thread ever
// writes the value, so reads and writes of the value need no lock.
ErrorSlot* FindSlot(uintptr_t thread)
{
    ErrorSlots& all = Slots();
    for (int i = 0; i < kSlots; ++i)
        if (__atomic_load_n(&all.slots[i].thread, __ATOMIC_ACQUIRE) == thread)
            return &all.slots[i];
    return nullptr;
}

} // namespace

void LastErrorAttach()
{
    const uintptr_t thread = ZdPortCurrentThreadId();
    ErrorSlots& all = Slots();
    for (int i = 0; i < kSlots; ++i) {
        uintptr_t expected = 0;
        if (__atomic_compare_exchange_n(&all.slots[i].thread, &expected, thread, false, __ATOMIC_ACQ_REL,
                                        __ATOMIC_ACQUIRE)) {
            all.slots[i].value = 0;
            return;
        }
    }
}

void LastErrorDetach()
{
    ErrorSlot* slot = FindSlot(ZdPortCurrentThreadId());
    if (slot != nullptr)
        __atomic_store_n(&slot->thread, static_cast<uintptr_t>(0), __ATOMIC_RELEASE);
}

uint32_t ZdGetLastError()
{
    ErrorSlot* slot = FindSlot(ZdPortCurrentThreadId());
    return slot != nullptr ? slot->value : __atomic_load_n(&Slots().shared, __ATOMIC_RELAXED);
}

void ZdSetLastError(uint32_t error)
{
    ErrorSlot* slot = FindSlot(ZdPortCurrentThreadId());
    if (slot != nullptr)
        slot->value = error;
    else
        __atomic_store_n(&Slots().shared, error, __ATOMIC_RELAXED);
}

} // namespace zedisk
