// Walking a multi-string (strings each ended by a NUL, an empty one closing the
// list) of a known size, whether or not the final NULs made it into the data.
#pragma once

#include <cstddef>
#include <string>

namespace loader {

// Calls visit(std::basic_string<Char>) for each string in the first count
// characters of data; returns true as soon as a call does.
template <typename Char, typename Visit>
bool AnyString(const Char* data, size_t count, Visit visit)
{
    size_t at = 0;
    while (at < count && data[at] != 0) {
        size_t end = at;
        while (end < count && data[end] != 0)
            ++end;
        if (visit(std::basic_string<Char>(data + at, end - at)))
            return true;
        at = end + 1;
    }
    return false;
}

// ASCII case folding, the same on every system and in every locale.
template <typename Char>
Char AsciiUpper(Char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}

template <typename CharA, typename CharB>
bool EqualIgnoringCase(const std::basic_string<CharA>& a, const CharB* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i] != 0; ++i)
        if (AsciiUpper<unsigned long>(static_cast<unsigned long>(a[i])) !=
            AsciiUpper<unsigned long>(static_cast<unsigned long>(b[i])))
            return false;
    return i == a.size() && b[i] == 0;
}

} // namespace loader
