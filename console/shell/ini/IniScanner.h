// The scanner that turns INI text into (section, key, value) entries.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace tamVoke {

// A byte the scanner treats as a blank: exactly what isspace accepts in the "C"
// locale, decided here so that a program that changes its locale, or a byte above
// 127, cannot change how a file reads.
bool IsIniBlank(unsigned char c);

class IniScanner {
public:
    using Sink = std::function<void(const std::string& section, const std::string& key,
                                    const std::string& value)>;

    // Scans length bytes of text (NUL bytes included) and calls sink once per stored
    // value, in file order. Lines without a value store nothing.
    static void Scan(const char* text, std::size_t length, const Sink& sink);
};

} // namespace tamVoke
