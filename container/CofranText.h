// A wide text in the container's own memory, for code built both as a user
// library and inside the kernel driver. It is always NUL-terminated; every call
// that may allocate answers false when memory runs out (the caller returns kind
// 0x008) and leaves the text as it was.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "CofranBuffer.h"

class CofranText {
public:
    CofranText() = default;
    CofranText(CofranText&&) noexcept = default;
    CofranText& operator=(CofranText&&) noexcept = default;

    size_t size() const { return units_.empty() ? 0 : units_.size() - 1; }
    bool empty() const { return size() == 0; }
    const wchar_t* c_str() const { return units_.empty() ? L"" : units_.data(); }
    wchar_t operator[](size_t i) const { return units_[i]; }

    [[nodiscard]] bool assign(const wchar_t* text, size_t count)
    {
        CofranText made;
        if (!made.append(text, count))
            return false;
        units_.swap(made.units_);
        return true;
    }
    [[nodiscard]] bool assign(const wchar_t* text) { return assign(text, Length(text)); }
    [[nodiscard]] bool assign(const CofranText& text) { return assign(text.c_str(), text.size()); }

    [[nodiscard]] bool append(const wchar_t* text, size_t count)
    {
        const size_t had = size();
        // The source may lie in this text itself, and growing moves it.
        const uintptr_t from = reinterpret_cast<uintptr_t>(text);
        const uintptr_t own = reinterpret_cast<uintptr_t>(units_.data());
        const bool inside = own != 0 && from >= own && from < own + units_.size() * sizeof(wchar_t);
        const size_t at = inside ? (from - own) / sizeof(wchar_t) : 0;
        if (count > SIZE_MAX - had - 1)
            return false;
        // Texts grow a unit at a time (names, converted fields): room grows by halves.
        const size_t need = had + count + 1;
        const size_t room = units_.capacity() + units_.capacity() / 2;
        if (need > units_.capacity() && !units_.reserve(need > room ? need : room))
            return false;
        if (!units_.resize(need))
            return false;
        if (inside)
            text = units_.data() + at;
        for (size_t i = 0; i < count; ++i)
            units_[had + i] = text[i];
        units_[had + count] = 0;
        return true;
    }
    [[nodiscard]] bool append(const wchar_t* text) { return append(text, Length(text)); }
    [[nodiscard]] bool append(const CofranText& text) { return append(text.c_str(), text.size()); }
    [[nodiscard]] bool append(wchar_t unit) { return append(&unit, 1); }
    // The number in decimal digits.
    [[nodiscard]] bool AppendNumber(uint64_t number)
    {
        wchar_t digits[24];
        size_t n = 0;
        do {
            digits[sizeof digits / sizeof digits[0] - 1 - n++] = static_cast<wchar_t>(L'0' + number % 10);
            number /= 10;
        } while (number != 0);
        return append(digits + sizeof digits / sizeof digits[0] - n, n);
    }

    // Cuts the text to count units (never longer).
    void Shorten(size_t count)
    {
        if (count >= size())
            return;
        units_[count] = 0;
        const bool ok = units_.resize(count + 1); // shrinking never allocates
        (void)ok;
    }
    void clear() { units_.clear(); }

    bool Equals(const wchar_t* text) const
    {
        const wchar_t* own = c_str();
        size_t i = 0;
        for (; own[i] != 0 && own[i] == text[i]; ++i) {
        }
        return own[i] == text[i];
    }
    bool operator==(const CofranText& other) const
    {
        return size() == other.size() && Equals(other.c_str());
    }
    bool operator!=(const CofranText& other) const { return !(*this == other); }

    static size_t Length(const wchar_t* text)
    {
        size_t n = 0;
        while (text[n] != 0)
            ++n;
        return n;
    }

private:
    CofranBuffer<wchar_t> units_; // the units and their NUL, or nothing
};
