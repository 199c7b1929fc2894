#include "BoundedText.h"

#include <cstring>

size_t CopyBoundedText(char* dst, size_t capacity, const char* src)
{
    if (dst == nullptr || capacity == 0)
        return 0;
    if (src == nullptr) {
        dst[0] = '\0';
        return 0;
    }
    size_t length = strnlen(src, capacity);
    if (length == capacity) {
        length = capacity - 1;
        // Step back over continuation bytes (10xxxxxx) to the start of the cut
        // character, which is left out whole.
        while (length > 0 && (static_cast<unsigned char>(src[length]) & 0xC0) == 0x80)
            --length;
    }
    std::memcpy(dst, src, length);
    dst[length] = '\0';
    return length;
}
