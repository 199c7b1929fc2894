// A driver package's information file as the device installer reads it: sections of
// "key = value, value" lines, comments after ';', quoted values, lines joined by a
// trailing '\', and %name% tokens replaced from the [Strings] section. ANSI, UTF-8
// with its mark, or UTF-16 with its mark.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace ks_platform {

class InfFile {
public:
    // Reads the file through the layer's file calls; ERROR_SUCCESS or the error the
    // read failed with (ERROR_FILE_INVALID for a file too large to be one).
    DWORD Load(const wchar_t* path);
    bool HasSection(const std::wstring& section) const;
    // The first value of the key's line in the section, tokens replaced; false when
    // there is no such line.
    bool Value(const std::wstring& section, const std::wstring& key, std::wstring& value) const;
    // True when a line of any section names the hardware id among its values.
    bool NamesHardwareId(const std::wstring& id) const;

    static constexpr size_t kMaximumBytes = 4u << 20;

private:
    struct Line {
        std::wstring key;   // empty for a line without '='
        std::vector<std::wstring> values;
    };
    void Parse(const std::wstring& text);
    void ParseLine(const std::wstring& line, std::vector<Line>*& section);
    std::wstring Expand(const std::wstring& value) const;

    std::map<std::wstring, std::vector<Line>> sections_;   // by lower-case name
};

} // namespace ks_platform
