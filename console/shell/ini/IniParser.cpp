#include "IniParser.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <locale>
#include <new>
#include <sstream>
#include <vector>

#include "IniHex.h"
#include "IniScanner.h"

namespace tamVoke {

const IniParser::Section IniParser::ms_emptySection;

namespace {

// Numbers are read and written in the classic locale so that a file means the same
// whatever locale the program runs in.
template <typename Number>
bool ReadNumber(const char* text, Number& out)
{
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    Number value{};
    if (!(stream >> value))
        return false;
    out = value;
    return true;
}

template <typename Number>
std::string WriteNumber(Number value)
{
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream << value;
    return stream.str();
}

} // namespace

IniParser::IniParser() = default;

IniParser::IniParser(const char* path)
{
    load(path);
}

IniParser::~IniParser()
{
    if (m_dirty)
        save();
}

bool IniParser::load(const char* path)
{
    saveBeforeLoad();
    if (path == nullptr)
        return false;
    std::FILE* file = std::fopen(path, "rt");
    if (file == nullptr)
        return false;

    bool loaded = false;
    std::vector<char> buffer;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    // A size beyond what loadString can take is refused rather than cut short.
    if (size >= 0 && static_cast<unsigned long>(size) < UINT_MAX && std::fseek(file, 0, SEEK_SET) == 0) {
        try {
            buffer.assign(static_cast<std::size_t>(size) + 1, '\0');
            const std::size_t got = std::fread(buffer.data(), 1, static_cast<std::size_t>(size), file);
            // A read error (a directory, an I/O failure) is a failed load, not an
            // empty file.
            loaded = !std::ferror(file) && loadString(buffer.data(), static_cast<unsigned int>(got));
        } catch (const std::bad_alloc&) {
            loaded = false;
        }
    }
    std::fclose(file);
    if (!loaded) {
        m_sections.clear();
        return false;
    }
    m_fileName = path;
    return true;
}

bool IniParser::loadString(const char* text, unsigned int length)
{
    saveBeforeLoad();
    if (length != 0 && text == nullptr)
        return false;
    IniScanner::Scan(text, length,
                     [this](const std::string& section, const std::string& key, const std::string& value) {
                         // operator[] keeps the first spelling of a name and takes the
                         // last value.
                         m_sections[section][key] = value;
                     });
    return true;
}

void IniParser::saveBeforeLoad()
{
    if (m_dirty)
        save();
    m_fileName.clear();
    m_sections.clear();
    m_dirty = 0;
}

bool IniParser::save()
{
    if (m_fileName.empty())
        return false;
    std::FILE* file = std::fopen(m_fileName.c_str(), "w");
    if (file == nullptr)
        return false;
    // Names and values go out whole, NUL bytes included, since a loaded file may hold
    // them and must save as it loaded.
    const auto put = [file](const std::string& text) { std::fwrite(text.data(), 1, text.size(), file); };
    for (const auto& [name, section] : m_sections) {
        std::fputc('[', file);
        put(name);
        std::fputs("]\n", file);
        for (const auto& [key, value] : section) {
            put(key);
            std::fputc('=', file);
            put(value);
            // A carriage return just before a line feed is read as part of the line
            // end; a value that ends in one gets a second, so that it loads back whole.
            if (!value.empty() && value.back() == '\r')
                std::fputc('\r', file);
            std::fputc('\n', file);
        }
        std::fputc('\n', file);
    }
    // A file that could not be written in full is not saved: stay dirty and say so.
    const bool written = !std::ferror(file);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        return false;
    m_dirty = 0;
    return true;
}

bool IniParser::saveAs(const char* path)
{
    if (path == nullptr)
        return false;
    std::string oldName = m_fileName;
    m_fileName = path;
    if (save())
        return true;
    m_fileName = std::move(oldName);
    return false;
}

const IniParser::Section& IniParser::getSection(const char* name) const
{
    if (name == nullptr)
        return ms_emptySection;
    const auto found = m_sections.find(name);
    return found == m_sections.end() ? ms_emptySection : found->second;
}

const char* IniParser::key_value(const char* section, const char* key) const
{
    if (key == nullptr)
        return nullptr;
    const Section& entries = getSection(section);
    const auto found = entries.find(key);
    return found == entries.end() ? nullptr : found->second.c_str();
}

unsigned int IniParser::getString(const char* section, const char* key, const char* defaultValue,
                                  std::string& out) const
{
    const char* value = key_value(section, key);
    if (value == nullptr)
        value = defaultValue != nullptr ? defaultValue : "";
    out = value;
    return static_cast<unsigned int>(out.size());
}

unsigned int IniParser::getString(const char* section, const char* key, const char* defaultValue,
                                  char* out, long n) const
{
    // No room even for the terminator: write nothing at all.
    if (out == nullptr || n <= 0)
        return 0;
    const char* value = key_value(section, key);
    if (value == nullptr)
        value = defaultValue != nullptr ? defaultValue : "";
    std::size_t length = std::strlen(value);
    if (length > static_cast<unsigned long>(n - 1))
        length = static_cast<std::size_t>(n - 1);
    std::memcpy(out, value, length);
    out[length] = '\0';
    return static_cast<unsigned int>(length);
}

long IniParser::getInteger(const char* section, const char* key, long defaultValue) const
{
    const char* value = key_value(section, key);
    long number = defaultValue;
    if (value == nullptr || !ReadNumber(value, number))
        return defaultValue;
    return number;
}

float IniParser::getFloat(const char* section, const char* key, float defaultValue) const
{
    const char* value = key_value(section, key);
    float number = defaultValue;
    if (value == nullptr || !ReadNumber(value, number))
        return defaultValue;
    return number;
}

long IniParser::getStruct(const char* section, const char* key, void* out, long n) const
{
    const char* value = key_value(section, key);
    if (value == nullptr || *value == '\0' || out == nullptr || n <= 0)
        return 0;
    return static_cast<long>(
        HexToBytes(value, static_cast<unsigned char*>(out), static_cast<std::size_t>(n)));
}

void IniParser::setString(const char* section, const char* key, const char* value)
{
    if (section == nullptr || key == nullptr || value == nullptr)
        return;
    m_sections[section][key] = value;
    m_dirty = 1;
}

void IniParser::setInteger(const char* section, const char* key, long value)
{
    setString(section, key, WriteNumber(value).c_str());
}

void IniParser::setFloat(const char* section, const char* key, float value)
{
    setString(section, key, WriteNumber(value).c_str());
}

void IniParser::setStruct(const char* section, const char* key, const void* data, long n)
{
    if (n < 0 || (data == nullptr && n > 0))
        return;
    std::string digits;
    try {
        digits = BytesToHex(static_cast<const unsigned char*>(data), static_cast<std::size_t>(n));
    } catch (const std::exception&) {
        // Not enough memory for the text: store nothing.
        return;
    }
    setString(section, key, digits.c_str());
}

} // namespace tamVoke
