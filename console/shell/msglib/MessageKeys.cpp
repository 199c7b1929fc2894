#include "MessageKeys.h"

#include <cstdio>

bool IsWholeCodeFamily(unsigned int code)
{
    const unsigned int family = code >> 16;
    return family == 0xF000 || family == 0xF001;
}

bool IsInternalFamily(unsigned int code)
{
    const unsigned int family = code >> 16;
    return family == 0xFF00 || family == 0xFF01;
}

std::string MessageCodeKey(unsigned int code)
{
    if (IsInternalFamily(code))
        return "ff00";
    char key[16];
    std::snprintf(key, sizeof key, "%x", IsWholeCodeFamily(code) ? code : (code & 0xFFFu));
    return key;
}

std::string CutMessageSymbol(const std::string& value)
{
    const std::string::size_type last = value.rfind('%');
    if (last == std::string::npos)
        return std::string();
    if (last == 0)
        return value;
    return value.substr(0, last + 1);
}
