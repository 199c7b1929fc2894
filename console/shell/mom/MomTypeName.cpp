// Interface keys: the dotted form of an interface's type name, from the Linux
// compiler's mangled names and from the Windows compiler's readable ones.
#include <cstring>

#include "MomPtr.h"

namespace {

// Appends one character; false when the output is full.
bool Put(char* out, unsigned long size, unsigned long& pos, char c)
{
    if (pos >= size)
        return false;
    out[pos++] = c;
    return true;
}

unsigned long Fail(char* out, unsigned long size)
{
    if (out != nullptr && size > 0)
        out[0] = '\0';
    return 0;
}

} // namespace

unsigned long MomGetTypeName_(const char* mangled, char* out, unsigned long& size)
{
    const unsigned long capacity = size;
    if (capacity == 0 || out == nullptr || mangled == nullptr)
        return Fail(out, capacity);
    out[0] = '\0';
    unsigned long pos = 0;
    unsigned long lastComponent = 0;
    bool inComponent = false;
    const char* p = mangled;
    while (*p != '\0') {
        if (!inComponent) {
            if (*p == 'N') {
                inComponent = true;
                ++p;
            } else if (*p >= '0' && *p <= '9') {
                inComponent = true;
            } else {
                ++p;
            }
            continue;
        }
        unsigned long length = 0;
        while (*p >= '0' && *p <= '9') {
            length = length * 10 + static_cast<unsigned long>(*p - '0');
            if (length > capacity) // cannot fit anyway; stop before the number overflows
                return Fail(out, capacity);
            ++p;
        }
        lastComponent = pos;
        for (unsigned long i = 0; i < length; ++i, ++p) {
            // A damaged name that announces more characters than it has gives no key.
            if (*p == '\0' || !Put(out, capacity, pos, *p))
                return Fail(out, capacity);
        }
        if (!Put(out, capacity, pos, '.'))
            return Fail(out, capacity);
        inComponent = false;
    }
    if (pos == 0)
        return 0;
    out[pos - 1] = '\0'; // the last "." becomes the terminator
    return lastComponent;
}

unsigned long MomGetWindowsTypeName_(const char* name, char* out, unsigned long& size)
{
    const unsigned long capacity = size;
    if (capacity == 0 || out == nullptr || name == nullptr)
        return Fail(out, capacity);
    const char* p;
    if (std::strncmp(name, "class ", 6) == 0)
        p = name + 6;
    else if (std::strncmp(name, "struct ", 7) == 0)
        p = name + 7;
    else
        return Fail(out, capacity);
    unsigned long pos = 0;
    unsigned long lastComponent = 0;
    while (*p != '\0') {
        if (p[0] == ':' && p[1] == ':') {
            if (!Put(out, capacity, pos, '.'))
                return Fail(out, capacity);
            lastComponent = pos;
            p += 2;
            continue;
        }
        if (!Put(out, capacity, pos, *p++))
            return Fail(out, capacity);
    }
    if (!Put(out, capacity, pos, '\0'))
        return Fail(out, capacity);
    return lastComponent;
}
