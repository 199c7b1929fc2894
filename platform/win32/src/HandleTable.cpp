#include "HandleTable.h"

namespace ks_platform {

namespace {

// value = (generation << 26) | ((index + 1) << 2): multiples of 4 as on Windows,
// never 0, never one of the negative pseudo handles.
constexpr unsigned kIndexBits = 24;
constexpr size_t kMaxSlots = (size_t{1} << kIndexBits) - 1;
constexpr uint32_t kGenerationMask = 0xFFFFFFu;

uint64_t Encode(size_t index, uint32_t generation)
{
    return (static_cast<uint64_t>(generation & kGenerationMask) << (kIndexBits + 2)) |
           (static_cast<uint64_t>(index + 1) << 2);
}

} // namespace

HandleTable& HandleTable::Instance()
{
    // Never destroyed: threads still running at exit may close their handles.
    static HandleTable* table = new HandleTable;
    return *table;
}

bool HandleTable::Decode(HANDLE handle, size_t& index) const
{
    const uint64_t value = reinterpret_cast<uintptr_t>(handle);
    if (value == 0 || (value & 3) != 0 || value >> (kIndexBits * 2 + 2) != 0)
        return false;
    const uint64_t slot = (value >> 2) & kMaxSlots;
    if (slot == 0 || slot > slots_.size())
        return false;
    index = static_cast<size_t>(slot - 1);
    const Slot& entry = slots_[index];
    return entry.object && Encode(index, entry.generation) == value;
}

HANDLE HandleTable::Add(std::shared_ptr<KernelObject> object)
{
    std::lock_guard<std::mutex> guard(lock_);
    size_t index;
    if (!free_.empty()) {
        index = free_.back();
        free_.pop_back();
    } else if (slots_.size() < kMaxSlots) {
        index = slots_.size();
        slots_.emplace_back();
    } else {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    slots_[index].object = std::move(object);
    ++count_;
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(Encode(index, slots_[index].generation)));
}

bool HandleTable::AddAt(HANDLE handle, std::shared_ptr<KernelObject> object)
{
    const uint64_t value = reinterpret_cast<uintptr_t>(handle);
    if (value == 0 || (value & 3) != 0 || value >> (kIndexBits * 2 + 2) != 0)
        return false;
    const size_t index = static_cast<size_t>(((value >> 2) & kMaxSlots) - 1);
    const uint32_t generation = static_cast<uint32_t>(value >> (kIndexBits + 2));
    // Inherited handles are of a parent's first slots; a far index is refused
    // rather than growing the table to it.
    if (((value >> 2) & kMaxSlots) == 0 || generation == 0 || index >= 0x10000)
        return false;
    std::lock_guard<std::mutex> guard(lock_);
    while (slots_.size() <= index) {
        free_.push_back(slots_.size());
        slots_.emplace_back();
    }
    if (slots_[index].object)
        return false;
    for (size_t i = 0; i < free_.size(); ++i)
        if (free_[i] == index) {
            free_.erase(free_.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    slots_[index].object = std::move(object);
    slots_[index].generation = generation;
    ++count_;
    return true;
}

std::shared_ptr<KernelObject> HandleTable::Find(HANDLE handle) const
{
    std::lock_guard<std::mutex> guard(lock_);
    size_t index;
    if (!Decode(handle, index)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return slots_[index].object;
}

std::shared_ptr<KernelObject> HandleTable::FindKind(HANDLE handle, ObjectKind kind) const
{
    std::shared_ptr<KernelObject> object = Find(handle);
    if (object && object->Kind() != kind) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return object;
}

std::shared_ptr<KernelObject> HandleTable::Remove(HANDLE handle, bool (*accepted)(ObjectKind))
{
    std::shared_ptr<KernelObject> object;
    {
        std::lock_guard<std::mutex> guard(lock_);
        size_t index;
        if (!Decode(handle, index) || !accepted(slots_[index].object->Kind())) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        Slot& entry = slots_[index];
        object = std::move(entry.object);
        entry.object.reset();
        entry.generation = (entry.generation + 1) & kGenerationMask;
        if (entry.generation == 0)
            entry.generation = 1;
        free_.push_back(index);
        --count_;
    }
    // The object may die here, outside the table's lock.
    return object;
}

unsigned HandleTable::Count() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return count_;
}

unsigned HandleTable::Count(bool (*accepted)(ObjectKind)) const
{
    std::lock_guard<std::mutex> guard(lock_);
    unsigned count = 0;
    for (const Slot& slot : slots_)
        if (slot.object && accepted(slot.object->Kind()))
            ++count;
    return count;
}

} // namespace ks_platform

unsigned KSPlatformOpenHandles() { return ks_platform::HandleTable::Instance().Count(); }
