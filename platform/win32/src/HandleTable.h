// The one table behind every handle of the process: files, devices, threads, events,
// mutexes, semaphores, service handles and run-time searches. A handle value names a
// slot and the slot's generation, so a handle used after CloseHandle (even when its
// slot holds a newer object) is not found, and the call fails with
// ERROR_INVALID_HANDLE.
#pragma once

#include "KernelObject.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace ks_platform {

class HandleTable {
public:
    static HandleTable& Instance();

    // The new handle, or null with ERROR_NOT_ENOUGH_MEMORY set when the table is full.
    HANDLE Add(std::shared_ptr<KernelObject> object);
    // Puts the object at a given handle value (a handle a child process inherited
    // keeps its parent's number); false when the value is no handle value or its
    // slot is taken.
    bool AddAt(HANDLE handle, std::shared_ptr<KernelObject> object);
    // The object, or null with ERROR_INVALID_HANDLE set.
    std::shared_ptr<KernelObject> Find(HANDLE handle) const;
    // The object of one of the given kinds, or null with ERROR_INVALID_HANDLE set.
    std::shared_ptr<KernelObject> FindKind(HANDLE handle, ObjectKind kind) const;
    template <typename T>
    std::shared_ptr<T> FindAs(HANDLE handle, ObjectKind kind) const
    {
        return std::static_pointer_cast<T>(FindKind(handle, kind));
    }
    // Takes the handle out of the table when its object is of an accepted kind;
    // null with ERROR_INVALID_HANDLE set otherwise.
    std::shared_ptr<KernelObject> Remove(HANDLE handle, bool (*accepted)(ObjectKind));
    unsigned Count() const;
    // Open handles whose objects are of an accepted kind.
    unsigned Count(bool (*accepted)(ObjectKind)) const;

private:
    struct Slot {
        std::shared_ptr<KernelObject> object;
        uint32_t generation = 1;
    };
    bool Decode(HANDLE handle, size_t& index) const;

    mutable std::mutex lock_;
    std::vector<Slot> slots_;
    std::vector<size_t> free_;
    unsigned count_ = 0;
};

} // namespace ks_platform
