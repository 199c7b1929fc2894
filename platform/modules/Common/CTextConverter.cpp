#include "CTextConverter.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

size_t CTextConverter::Convert(const char* from, const char* to, const char* in, size_t inBytes, size_t unitBytes,
                               char* out, size_t outBytes, const char* replacement, size_t replacementBytes)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return 0;
    char* inPtr = const_cast<char*>(in);
    size_t inLeft = inBytes;
    char* outPtr = out;
    size_t outLeft = outBytes;
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == EILSEQ && inLeft >= unitBytes) {
            if (outLeft < replacementBytes)
                break;
            std::memcpy(outPtr, replacement, replacementBytes);
            outPtr += replacementBytes;
            outLeft -= replacementBytes;
            inPtr += unitBytes;
            inLeft -= unitBytes;
            continue;
        }
        break; // E2BIG: the next character does not fit; EINVAL: the input ends mid-character
    }
    iconv_close(cd);
    return outBytes - outLeft;
}

bool CTextConverter::IsUtf8(const char* text, size_t bytes)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    while (i < bytes) {
        const unsigned char c = p[i];
        size_t extra;
        unsigned long code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= bytes) // the character runs past the end
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}
