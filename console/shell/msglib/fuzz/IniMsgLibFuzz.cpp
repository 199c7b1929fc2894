// libFuzzer target: the INI parser and the message library over one file. Besides
// crashes and overruns it checks what their callers rely on:
// - a file reads the same through load and loadString;
// - every section, key and value saved and loaded reads back equal, and so does a
//   value set from the input that a line can hold;
// - a message is terminated inside the n bytes it is given, is the text the file
//   holds for the code, and a full message adds only the code behind an internal
//   error's text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "IniParser.h"
#include "IniScanner.h"
#include "MessageKeys.h"
#include "MsgLib.h"

using tamVoke::IniParser;
using tamVoke::IniScanner;

namespace {

// A broken invariant names itself and stops the run, so that libFuzzer keeps the input.
#define Require(condition) RequireAt((condition), #condition, __LINE__)
void RequireAt(bool condition, const char* text, int line)
{
    if (!condition) {
        std::fprintf(stderr, "broken invariant at line %d: %s\n", line, text);
        std::abort();
    }
}

std::string Folder()
{
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string dir = std::string(base ? base : "/tmp") + "/ini-fuzz-" + std::to_string(getpid());
        mkdir(dir.c_str(), 0700);
        return dir;
    }();
    return folder;
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool written = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && written;
}

// Both parsers hold the same sections, keys and values, spelled the same.
void RequireSame(const IniParser& a, const IniParser& b, const std::set<std::string>& sections)
{
    for (const std::string& name : sections)
        Require(a.getSection(name.c_str()) == b.getSection(name.c_str()));
}

void CheckParser(const uint8_t* data, size_t size, const std::string& path, std::set<std::string>& sections)
{
    IniScanner::Scan(reinterpret_cast<const char*>(data), size,
                     [&](const std::string& section, const std::string&, const std::string&) {
                         sections.insert(section);
                     });
    IniParser fromText;
    Require(fromText.loadString(reinterpret_cast<const char*>(data), static_cast<unsigned int>(size)));
    IniParser fromFile;
    Require(fromFile.load(path.c_str()));
    RequireSame(fromText, fromFile, sections);

    // The typed getters stay inside the buffers they are given.
    unsigned n = 0;
    for (const std::string& name : sections) {
        for (const auto& [key, value] : fromText.getSection(name.c_str())) {
            if (++n > 16)
                break;
            auto bytes = std::make_unique<unsigned char[]>(3);
            const long got = fromText.getStruct(name.c_str(), key.c_str(), bytes.get(), 3);
            Require(got >= 0 && got <= 3);
            auto text = std::make_unique<char[]>(5);
            const unsigned length = fromText.getString(name.c_str(), key.c_str(), "", text.get(), 5);
            Require(length <= 4 && std::strlen(text.get()) == length);
            fromText.getInteger(name.c_str(), key.c_str(), 0);
            fromText.getFloat(name.c_str(), key.c_str(), 0);
        }
    }

    // A value from the input that a line can hold: it neither starts with a blank or
    // "=" nor holds a line feed or a NUL.
    std::string value(reinterpret_cast<const char*>(data), std::min<size_t>(size, 40));
    value = value.substr(0, value.find_first_of(std::string("\n\0", 2)));
    if (!value.empty() && value[0] != '=' && !tamVoke::IsIniBlank(static_cast<unsigned char>(value[0]))) {
        fromText.setString("Fuzz", "value", value.c_str());
        sections.insert("Fuzz");
    }

    const std::string saved = path + ".saved";
    Require(fromText.saveAs(saved.c_str()));
    IniParser back;
    Require(back.load(saved.c_str()));
    RequireSame(fromText, back, sections);
}

void CheckMessage(unsigned int code)
{
    static const unsigned sizes[] = {1, 2, 11, 260, 2048};
    std::string message260;
    for (unsigned n : sizes) {
        auto out = std::make_unique<char[]>(n);
        std::memset(out.get(), 'x', n);
        Require(ZeFormatMessage(code, n, out.get()) == 1);
        Require(std::memchr(out.get(), '\0', n) != nullptr);
        if (n == 260)
            message260 = out.get();
        if (n == 2048) {
            // The text the file holds for the code, as far as it goes before a NUL.
            std::string language, symbol, text;
            g_clsIniParser.getString("LANGUAGE", "CURRENT", "DEFAULT", language);
            g_clsIniParser.getString("CODE", MessageCodeKey(code).c_str(), "%KS_ERR_UNKNOWN%", symbol);
            g_clsIniParser.getString(language.c_str(), CutMessageSymbol(symbol).c_str(), "", text);
            Require(text.compare(0, n - 1, out.get()) == 0 || std::string(out.get()) == text.c_str());
        }
    }
    char untouched = 'u';
    Require(ZeFormatMessage(code, 0, &untouched) == 0 && untouched == 'u');
    Require(ZeFormatMessage(code, 10, nullptr) == 0);

    for (unsigned n : sizes) {
        auto out = std::make_unique<char[]>(n);
        Require(ZeFormatFullMessage(code, n, out.get()) == 1);
        Require(std::memchr(out.get(), '\0', n) != nullptr);
        if (n == 2048) {
            const std::string full = out.get();
            Require(full.compare(0, message260.size(), message260) == 0);
            if (message260.find("Internal error") == std::string::npos)
                Require(full == message260);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = Folder() + "/input.ini";
    if (!WriteFile(path, data, size))
        return 0;
    std::set<std::string> sections;
    CheckParser(data, size, path, sections);

    std::string file = path;
    Require(InitMsgLib(file.data()) == 1);
    std::vector<unsigned int> codes = {0, 0x60, 0x00A0902A, 0xF0000000, 0xF0011234, 0xFF000001, 0xFF01ABCD, 0xFFFFFFFF};
    // The codes the file names, and one from the input's last bytes.
    for (const auto& [key, symbol] : g_clsIniParser.getSection("CODE")) {
        if (codes.size() > 24)
            break;
        codes.push_back(static_cast<unsigned int>(std::strtoul(key.c_str(), nullptr, 16)));
    }
    if (size >= 4) {
        unsigned int code;
        std::memcpy(&code, data + size - 4, 4);
        codes.push_back(code);
    }
    for (unsigned int code : codes)
        CheckMessage(code);
    return 0;
}
