// Looks for a name among the entries of one directory index node (the node of an
// $INDEX_ROOT value or of an index block), with every bound checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CIndexNodeScanner {
public:
    // The node head lies at nodeOffset of buffer (size bytes); its entry offset and
    // used length are counted from that head. Appends the file reference of every
    // entry whose name equals wanted (ASCII letters compared without case) to
    // matches. False when the node or one of its entries reaches outside the node,
    // an entry's key is too short for its name, or the end entry is missing.
    static bool Scan(const unsigned char* buffer, size_t size, size_t nodeOffset, const std::u16string& wanted,
                     std::vector<uint64_t>& matches);

    // Names compare case-insensitively only for the letters A-Z; every other
    // character must be equal.
    static bool NamesEqual(const char16_t* entryName, size_t entryLength, const std::u16string& wanted);
};
