// The ordered action buttons of a dialog: up to three; a fourth is not kept.
#pragma once

#include <cstddef>

template <typename T>
class DialogButtonSlots {
public:
    static constexpr int kCapacity = 3;

    // False when all three positions are taken.
    bool Add(T* button)
    {
        if (count_ >= kCapacity)
            return false;
        slots_[count_++] = button;
        return true;
    }
    // Null for an index out of range or an empty position.
    T* At(int index) const { return index >= 0 && index < count_ ? slots_[index] : nullptr; }
    int Count() const { return count_; }

private:
    T* slots_[kCapacity] = {nullptr, nullptr, nullptr};
    int count_ = 0;
};
