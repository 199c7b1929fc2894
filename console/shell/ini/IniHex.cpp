#include "IniHex.h"

namespace tamVoke {

namespace {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

char bin2hex(unsigned char nibble)
{
    nibble &= 0x0F;
    return static_cast<char>(nibble < 10 ? '0' + nibble : 'A' + (nibble - 10));
}

std::string BytesToHex(const unsigned char* data, std::size_t size)
{
    std::string text;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        text.push_back(bin2hex(static_cast<unsigned char>(data[i] >> 4)));
        text.push_back(bin2hex(data[i]));
    }
    return text;
}

std::size_t HexToBytes(const char* text, unsigned char* out, std::size_t size)
{
    std::size_t written = 0;
    while (written < size) {
        const int high = HexDigitValue(text[written * 2]);
        if (high < 0)
            break;
        const int low = HexDigitValue(text[written * 2 + 1]);
        if (low < 0) {
            out[written] = static_cast<unsigned char>(high << 4);
            break;
        }
        out[written] = static_cast<unsigned char>((high << 4) | low);
        ++written;
    }
    return written;
}

} // namespace tamVoke
