#include "PasswordText.h"

#include <cstdint>
#include <cstring>

namespace {

bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Number of bytes the character takes in UTF-8, written at out when it fits.
size_t PutUtf8(uint32_t c, unsigned char* out, size_t room)
{
    const size_t need = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    if (need > room)
        return 0;
    switch (need) {
    case 1:
        out[0] = static_cast<unsigned char>(c);
        break;
    case 2:
        out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        break;
    case 3:
        out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        break;
    default:
        out[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
        out[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        break;
    }
    return need;
}

} // namespace

bool PasswordText::ToUtf8(const wchar_t* password, unsigned char* out, size_t outSize, unsigned long* length)
{
    std::memset(out, 0, outSize);
    *length = 0;
    if (outSize == 0)
        return false;
    const size_t room = outSize - 1; // the form stays NUL-terminated
    size_t used = 0;
    for (const wchar_t* p = password; *p != 0; ++p) {
        uint32_t c = static_cast<uint32_t>(*p);
        if (sizeof(wchar_t) == 2 && IsHighSurrogate(c) && IsLowSurrogate(static_cast<uint32_t>(p[1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(p[1]) - 0xDC00);
            ++p;
        }
        const size_t n = (IsHighSurrogate(c) || IsLowSurrogate(c) || c > 0x10FFFF)
                             ? 0
                             : PutUtf8(c, out + used, room - used);
        if (n == 0) {
            std::memset(out, 0, outSize);
            return false;
        }
        used += n;
    }
    *length = static_cast<unsigned long>(used);
    return true;
}
