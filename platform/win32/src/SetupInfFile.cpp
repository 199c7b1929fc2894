#include "SetupInfFile.h"

#include "SetupMachine.h"

namespace ks_platform {

namespace {

std::wstring InfLower(const std::wstring& text)
{
    std::wstring lower = text;
    for (wchar_t& c : lower)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return lower;
}

std::wstring InfTrim(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return std::wstring();
    const size_t last = text.find_last_not_of(L" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Takes the quotes off a value ("" inside quotes stands for one quote).
std::wstring InfUnquote(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'"')
            out += text[i];
        else if (i + 1 < text.size() && text[i + 1] == L'"')
            out += text[++i];
    }
    return out;
}

// Decodes the file's bytes: UTF-16 LE or UTF-8 after their marks, else one
// character a byte.
std::wstring DecodeInfBytes(const std::vector<BYTE>& bytes)
{
    std::wstring text;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
        return text;
    }
    size_t i = 0;
    const bool utf8 = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    if (utf8)
        i = 3;
    while (i < bytes.size()) {
        const BYTE b = bytes[i];
        if (utf8 && b >= 0xC2 && b <= 0xDF && i + 1 < bytes.size() && (bytes[i + 1] & 0xC0) == 0x80) {
            text += static_cast<wchar_t>(((b & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
            i += 2;
        } else if (utf8 && b >= 0xE0 && b <= 0xEF && i + 2 < bytes.size() && (bytes[i + 1] & 0xC0) == 0x80 &&
                   (bytes[i + 2] & 0xC0) == 0x80) {
            text += static_cast<wchar_t>(((b & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) | (bytes[i + 2] & 0x3F));
            i += 3;
        } else {
            text += static_cast<wchar_t>(b);
            ++i;
        }
    }
    return text;
}

} // namespace

DWORD InfFile::Load(const wchar_t* path)
{
    sections_.clear();
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return error;
    }
    if (size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > kMaximumBytes) {
        CloseHandle(file);
        return ERROR_FILE_INVALID;
    }
    std::vector<BYTE> bytes(static_cast<size_t>(size.QuadPart));
    DWORD done = 0;
    const BOOL read = bytes.empty() || ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    const DWORD error = read ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (!read)
        return error;
    bytes.resize(done);
    Parse(DecodeInfBytes(bytes));
    return ERROR_SUCCESS;
}

void InfFile::Parse(const std::wstring& text)
{
    std::vector<Line>* section = nullptr;
    std::wstring pending;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        // The comment ends the line, unless the ';' stands inside quotes.
        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == L'"')
                quoted = !quoted;
            else if (line[i] == L';' && !quoted) {
                line.resize(i);
                break;
            }
        }
        line = InfTrim(line);
        if (!line.empty() && line.back() == L'\\') {
            pending += line.substr(0, line.size() - 1);
            continue;
        }
        ParseLine(pending + line, section);
        pending.clear();
    }
    if (!pending.empty())
        ParseLine(pending, section);
}

void InfFile::ParseLine(const std::wstring& text, std::vector<Line>*& section)
{
    const std::wstring line = InfTrim(text);
    if (line.empty())
        return;
    if (line.front() == L'[') {
        const size_t close = line.find(L']');
        section = close == std::wstring::npos ? nullptr : &sections_[InfLower(InfTrim(line.substr(1, close - 1)))];
        return;
    }
    if (!section)
        return;   // lines before the first section are not part of any
    Line entry;
    std::wstring current;
    bool quoted = false;
    bool keyTaken = false;
    for (const wchar_t c : line) {
        if (c == L'"')
            quoted = !quoted;
        if (!quoted && c == L'=' && !keyTaken) {
            entry.key = InfUnquote(InfTrim(current));
            current.clear();
            keyTaken = true;
            continue;
        }
        if (!quoted && c == L',') {
            entry.values.push_back(InfUnquote(InfTrim(current)));
            current.clear();
            continue;
        }
        current += c;
    }
    entry.values.push_back(InfUnquote(InfTrim(current)));
    section->push_back(entry);
}

std::wstring InfFile::Expand(const std::wstring& value) const
{
    auto strings = sections_.find(L"strings");
    std::wstring out;
    size_t at = 0;
    while (at < value.size()) {
        const size_t open = value.find(L'%', at);
        const size_t close = open == std::wstring::npos ? std::wstring::npos : value.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            out += value.substr(at);
            break;
        }
        out += value.substr(at, open - at);
        const std::wstring name = value.substr(open + 1, close - open - 1);
        bool replaced = name.empty();
        if (name.empty())
            out += L'%';   // "%%" stands for one
        else if (strings != sections_.end())
            for (const Line& line : strings->second)
                if (!replaced && InfLower(line.key) == InfLower(name)) {
                    out += line.values.empty() ? std::wstring() : line.values.front();
                    replaced = true;
                }
        if (!replaced)
            out += value.substr(open, close - open + 1);
        at = close + 1;
    }
    return out;
}

bool InfFile::HasSection(const std::wstring& section) const { return sections_.count(InfLower(section)) != 0; }

bool InfFile::Value(const std::wstring& section, const std::wstring& key, std::wstring& value) const
{
    auto found = sections_.find(InfLower(section));
    if (found == sections_.end())
        return false;
    for (const Line& line : found->second)
        if (InfLower(line.key) == InfLower(key)) {
            value = line.values.empty() ? std::wstring() : Expand(line.values.front());
            return true;
        }
    return false;
}

bool InfFile::NamesHardwareId(const std::wstring& id) const
{
    for (const auto& section : sections_)
        for (const Line& line : section.second)
            for (const std::wstring& value : line.values)
                if (SameDeviceId(Expand(value), id))
                    return true;
    return false;
}

} // namespace ks_platform
