// A growable run of elements in the container's own memory, for code that is built
// both as a user library and inside the kernel driver. Its members carry the C++
// library's names so the reading code reads as it did; every call that may
// allocate answers false when memory runs out (the caller returns kind 0x008),
// and leaves the buffer as it was.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <new>

#include "CofranMemory.h"

template <typename T>
class CofranBuffer {
public:
    CofranBuffer() = default;
    ~CofranBuffer() { release(); }
    CofranBuffer(const CofranBuffer&) = delete;
    CofranBuffer& operator=(const CofranBuffer&) = delete;
    CofranBuffer(CofranBuffer&& other) noexcept { Take(other); }
    CofranBuffer& operator=(CofranBuffer&& other) noexcept
    {
        if (this != &other) {
            release();
            Take(other);
        }
        return *this;
    }

    size_t size() const { return size_; }
    size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](size_t i) { return data_[i]; }
    const T& operator[](size_t i) const { return data_[i]; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    T& front() { return data_[0]; }
    const T& front() const { return data_[0]; }
    T& back() { return data_[size_ - 1]; }
    const T& back() const { return data_[size_ - 1]; }

    // Room for count elements without a further allocation.
    [[nodiscard]] bool reserve(size_t count)
    {
        if (count <= capacity_)
            return true;
        if (count > SIZE_MAX / sizeof(T))
            return false;
        T* grown = static_cast<T*>(CofranAllocate(count * sizeof(T)));
        if (grown == nullptr)
            return false;
        for (size_t i = 0; i < size_; ++i) {
            new (grown + i) T(static_cast<T&&>(data_[i]));
            data_[i].~T();
        }
        CofranFree(data_);
        data_ = grown;
        capacity_ = count;
        return true;
    }

    // New elements are value-initialised (zero for plain data).
    [[nodiscard]] bool resize(size_t count)
    {
        if (count > capacity_ && !reserve(count))
            return false;
        while (size_ > count)
            data_[--size_].~T();
        for (; size_ < count; ++size_)
            new (data_ + size_) T();
        return true;
    }

    // Like resize, but new elements of plain data keep whatever the memory held:
    // for a work area the caller writes before it reads, where filling it first
    // would only cost time and touch every page. Only for types without
    // construction (checked at compile time).
    [[nodiscard]] bool resize_for_overwrite(size_t count)
    {
        static_assert(__is_trivial(T), "only plain data may be left uninitialised");
        if (count > capacity_ && !reserve(count))
            return false;
        size_ = count;
        return true;
    }

    [[nodiscard]] bool push_back(const T& value)
    {
        if (!Grow())
            return false;
        new (data_ + size_) T(value);
        ++size_;
        return true;
    }
    [[nodiscard]] bool push_back(T&& value)
    {
        if (!Grow())
            return false;
        new (data_ + size_) T(static_cast<T&&>(value));
        ++size_;
        return true;
    }

    // The element at position at, those after it moving up by one.
    [[nodiscard]] bool insert(size_t at, const T& value)
    {
        T copy(value); // value may lie in this buffer
        if (!Grow())
            return false;
        if (at >= size_) {
            new (data_ + size_) T(static_cast<T&&>(copy));
        } else {
            new (data_ + size_) T(static_cast<T&&>(data_[size_ - 1]));
            for (size_t i = size_ - 1; i > at; --i)
                data_[i] = static_cast<T&&>(data_[i - 1]);
            data_[at] = static_cast<T&&>(copy);
        }
        ++size_;
        return true;
    }

    // Replaces the contents by count elements copied from first.
    [[nodiscard]] bool assign(const T* first, size_t count)
    {
        CofranBuffer made;
        if (!made.reserve(count))
            return false;
        for (; made.size_ < count; ++made.size_)
            new (made.data_ + made.size_) T(first[made.size_]);
        swap(made);
        return true;
    }

    void pop_back() { data_[--size_].~T(); }

    // Empties the buffer and keeps its memory.
    void clear()
    {
        while (size_ > 0)
            data_[--size_].~T();
    }

    // Empties the buffer and gives its memory back.
    void release()
    {
        clear();
        CofranFree(data_);
        data_ = nullptr;
        capacity_ = 0;
    }

    void swap(CofranBuffer& other) noexcept
    {
        T* d = data_;
        const size_t s = size_;
        const size_t c = capacity_;
        data_ = other.data_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        other.data_ = d;
        other.size_ = s;
        other.capacity_ = c;
    }

private:
    bool Grow()
    {
        if (size_ < capacity_)
            return true;
        const size_t want = capacity_ < 8 ? 8 : capacity_ > SIZE_MAX / 2 ? SIZE_MAX : capacity_ * 2;
        return reserve(want);
    }

    void Take(CofranBuffer& other)
    {
        data_ = other.data_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        other.data_ = nullptr;
        other.size_ = 0;
        other.capacity_ = 0;
    }

    T* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
