#include "IniScanner.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using tamVoke::IniScanner;
using Entry = std::tuple<std::string, std::string, std::string>; // section, key, value

std::vector<Entry> ScanAll(const std::string& text)
{
    std::vector<Entry> entries;
    IniScanner::Scan(text.data(), text.size(),
                     [&](const std::string& s, const std::string& k, const std::string& v) {
                         entries.emplace_back(s, k, v);
                     });
    return entries;
}

struct ScanCase {
    const char* what;
    std::string text;
    std::vector<Entry> expected;
};

void PrintTo(const ScanCase& c, std::ostream* os)
{
    *os << c.what;
}

class IniScannerTable : public ::testing::TestWithParam<ScanCase> {};

TEST_P(IniScannerTable, StoresExactlyTheExpectedEntries)
{
    const ScanCase& c = GetParam();
    EXPECT_EQ(ScanAll(c.text), c.expected) << c.what;
}

const ScanCase kScanCases[] = {
    {"plain pair", "name=value", {{"", "name", "value"}}},
    {"blanks around the sign", "name = value\n", {{"", "name", "value"}}},
    {"doubled sign belongs to the separator", "a == b\n", {{"", "a", "b"}}},
    {"sign inside the value stays", "k=a=b\n", {{"", "k", "a=b"}}},
    {"inner blanks of a key stay", "key  part = x\n", {{"", "key  part", "x"}}},
    {"leading blanks and tabs before a key", "  \t k\t=\tv\n", {{"", "k", "v"}}},
    {"trailing blanks of a value stay", "k= v  \n", {{"", "k", "v  "}}},
    {"sign at line start gives the empty key", "=v\n", {{"", "", "v"}}},
    {"empty value stores nothing", "key =\nkey2 =   \t\nk=1\n", {{"", "k", "1"}}},
    {"line without a sign is ignored", "just words\n; comment\n# note\nk=1\n", {{"", "k", "1"}}},
    {"comment marks are ordinary key text", ";k=v\n", {{"", ";k", "v"}}},
    {"blank lines between entries", "\n\n  \nk=1\n\n\nj=2\n", {{"", "k", "1"}, {"", "j", "2"}}},
    {"section name loses outer blanks, keeps inner ones", "[  Main Section  ]\nk=v\n",
     {{"Main Section", "k", "v"}}},
    {"two brackets name the empty section", "[A]\na=1\n[]\nb=2\n", {{"A", "a", "1"}, {"", "b", "2"}}},
    {"blanks only inside brackets name the empty section", "[A]\na=1\n[   ]\nb=2\n",
     {{"A", "a", "1"}, {"", "b", "2"}}},
    {"header without closing bracket keeps the section", "[A]\na=1\n[B\nb=2\n",
     {{"A", "a", "1"}, {"A", "b", "2"}}},
    {"text after a header reads as a new line", "[S] k=v\n", {{"S", "k", "v"}}},
    {"stray closing bracket is ignored", "[S]]\nk=v\n", {{"S", "k", "v"}}},
    {"CRLF line ends", "[S]\r\na=1\r\nb=2\r\n", {{"S", "a", "1"}, {"S", "b", "2"}}},
    {"CRLF without final newline", "[S]\r\na=1\r\nb=2", {{"S", "a", "1"}, {"S", "b", "2"}}},
    {"last line ending in CR alone", "[S]\r\na=1\r\nb=2\r", {{"S", "a", "1"}, {"S", "b", "2"}}},
    {"only one CR is taken from the line end", "k=x\r\r\n", {{"", "k", "x\r"}}},
    {"high bytes start a value and stay in names", "\xC3\xA9t\xC3\xA9=\xC3\xA0 \xFF\n",
     {{"", "\xC3\xA9t\xC3\xA9", "\xC3\xA0 \xFF"}}},
    {"NUL byte inside a value", std::string("k=a\0b\n", 6), {{"", "k", std::string("a\0b", 3)}}},
    {"empty text", "", {}},
};

// Test names from the case descriptions: letters and digits only.
std::string CaseName(const ::testing::TestParamInfo<ScanCase>& info)
{
    std::string name;
    for (const char* p = info.param.what; *p != '\0'; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Grammar, IniScannerTable, ::testing::ValuesIn(kScanCases), CaseName);

TEST(IniScanner, NullTextScansNothing)
{
    int calls = 0;
    IniScanner::Scan(nullptr, 10, [&](const std::string&, const std::string&, const std::string&) { ++calls; });
    EXPECT_EQ(calls, 0);
}

TEST(IniScanner, StopsAtTheGivenLength)
{
    const std::string text = "a=1\nb=2\n";
    std::vector<Entry> entries;
    IniScanner::Scan(text.data(), 5, [&](const std::string& s, const std::string& k, const std::string& v) {
        entries.emplace_back(s, k, v);
    });
    // "a=1\nb" holds one whole entry; the cut key "b" has no value.
    EXPECT_EQ(entries, (std::vector<Entry>{{"", "a", "1"}}));
}

TEST(IniScanner, BlankIsTheClassicSetOnly)
{
    for (int c = 0; c < 256; ++c) {
        const bool expected = c == ' ' || (c >= '\t' && c <= '\r');
        EXPECT_EQ(tamVoke::IsIniBlank(static_cast<unsigned char>(c)), expected) << c;
    }
}

} // namespace
