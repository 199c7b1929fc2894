#include "VolumeRoot.h"

std::string VolumeRootOf(uint8_t letter, const char16_t* path, size_t chars)
{
    if (letter >= 'A' && letter <= 'Z')
        return std::string(1, static_cast<char>(letter)) + ":";
    if (letter >= 'a' && letter <= 'z')
        return std::string(1, static_cast<char>(letter - 'a' + 'A')) + ":";
    std::string root;
    for (size_t i = 0; i < chars && path[i]; ++i) {
        if (path[i] > 0x7F)
            return {};
        root += static_cast<char>(path[i]);
    }
    while (!root.empty() && root.back() == '\\')
        root.pop_back();
    return root;
}
