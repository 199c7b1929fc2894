// Windows compares the names of devices and services without regard to case; the
// tables keep them under their lower-case form.
#pragma once

#include <cctype>
#include <string>

namespace ks_platform {

inline std::string AsciiLower(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

} // namespace ks_platform
