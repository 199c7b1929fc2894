// Hexadecimal text for binary values stored in INI files.
#pragma once

#include <cstddef>
#include <string>

namespace tamVoke {

// Upper-case digit for a nibble 0..15.
char bin2hex(unsigned char nibble);

// 2 * size upper-case digits, high nibble first.
std::string BytesToHex(const unsigned char* data, std::size_t size);

// Decodes digit pairs (0-9, A-F, a-f) into at most size bytes and returns the number
// of whole bytes written. The first other character or the end of the text stops the
// decoding; a lone last digit goes into the high nibble of the next byte, which is
// not counted.
std::size_t HexToBytes(const char* text, unsigned char* out, std::size_t size);

} // namespace tamVoke
