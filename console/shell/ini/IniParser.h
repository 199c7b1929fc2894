// Reads and writes text files of named sections holding key/value pairs.
//
// Section and key names are compared without regard to letter case. There are no
// comments and no quoting; see IniScanner for how a line reads.
#pragma once

#include <map>
#include <string>

#include "IgnoreCaseLT.h"

namespace tamVoke {

class IniParser {
public:
    using Section = std::map<std::string, std::string, IgnoreCaseLT>;
    using SectionMap = std::map<std::string, Section, IgnoreCaseLT>;

    IniParser();
    explicit IniParser(const char* path);
    // Saves a dirty parser to its file first.
    ~IniParser();

    IniParser(const IniParser&) = delete;
    IniParser& operator=(const IniParser&) = delete;

    // Replaces the contents with the file at path. False when it cannot be read; the
    // parser is then empty.
    bool load(const char* path);
    // Replaces the contents with length bytes of text. False for a null text with a
    // non-zero length.
    bool loadString(const char* text, unsigned int length);
    // Saves a dirty parser, then empties it and forgets its file name.
    void saveBeforeLoad();
    // Writes every section to the file of the last load or saveAs. False (and still
    // dirty) when there is none or it cannot be written completely.
    bool save();
    // Saves to path and keeps it as the file name; on failure the old name stays.
    bool saveAs(const char* path);

    // The named section, or an empty one when it does not exist.
    const Section& getSection(const char* name) const;
    // The stored text, or null when the section or the key is missing.
    const char* key_value(const char* section, const char* key) const;

    // The value, or defaultValue when missing; returns the length of out.
    unsigned int getString(const char* section, const char* key, const char* defaultValue,
                           std::string& out) const;
    // Copies at most n - 1 characters and a terminating zero; nothing when n <= 0.
    // Returns the number of characters out now holds before its terminator.
    unsigned int getString(const char* section, const char* key, const char* defaultValue,
                           char* out, long n) const;
    long getInteger(const char* section, const char* key, long defaultValue) const;
    float getFloat(const char* section, const char* key, float defaultValue) const;
    // Decodes a hexadecimal value into at most n bytes; returns the whole bytes written.
    long getStruct(const char* section, const char* key, void* out, long n) const;

    void setString(const char* section, const char* key, const char* value);
    void setInteger(const char* section, const char* key, long value);
    void setFloat(const char* section, const char* key, float value);
    // Stores n bytes as 2n upper-case hexadecimal digits.
    void setStruct(const char* section, const char* key, const void* data, long n);

private:
    SectionMap m_sections;
    std::string m_fileName;
    unsigned char m_dirty = 0;

    static const Section ms_emptySection;
};

} // namespace tamVoke
