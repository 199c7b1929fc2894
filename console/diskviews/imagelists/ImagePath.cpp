#include "ImagePath.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

std::vector<wchar_t> WidePathFor(const char* path, size_t capacity)
{
    std::vector<wchar_t> wide(capacity == 0 ? 1 : capacity, L'\0');
    if (path == nullptr || capacity < 2)
        return wide;
    // The count is the buffer's room, not the path's length: a long path is cut
    // instead of written past the buffer.
    const size_t written = std::mbstowcs(wide.data(), path, capacity - 1);
    if (written == static_cast<size_t>(-1)) {
        const size_t length = std::min(std::strlen(path), capacity - 1);
        for (size_t i = 0; i < length; ++i)
            wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(path[i]));
        wide[length] = L'\0';
    }
    wide[capacity - 1] = L'\0';
    return wide;
}
