#include "IniParser.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using tamVoke::IniParser;

// A private folder for the files of one test, removed with its contents afterwards.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = ::testing::TempDir() + "ini_XXXXXX";
        char* made = mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string File(const char* name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool LoadText(IniParser& ini, const std::string& text)
{
    return ini.loadString(text.data(), static_cast<unsigned int>(text.size()));
}

TEST(IniParser, NamesAreComparedWithoutCaseAndRepeatsMerge)
{
    IniParser ini;
    ASSERT_TRUE(LoadText(ini, "[Main]\nKEY=1\nother=x\n[main]\nkey=2\n[MAIN]\nthird=3\n"));
    // One section, one key spelled as first seen, with the last value.
    EXPECT_STREQ(ini.key_value("mAiN", "Key"), "2");
    EXPECT_STREQ(ini.key_value("MAIN", "OTHER"), "x");
    EXPECT_STREQ(ini.key_value("main", "third"), "3");
    const IniParser::Section& section = ini.getSection("main");
    ASSERT_EQ(section.size(), 3u);
    EXPECT_EQ(section.begin()->first, "KEY");
}

TEST(IniParser, MissingNamesGiveDefaults)
{
    IniParser ini;
    ASSERT_TRUE(LoadText(ini, "[S]\nk=v\n"));
    EXPECT_EQ(ini.key_value("S", "missing"), nullptr);
    EXPECT_EQ(ini.key_value("missing", "k"), nullptr);
    EXPECT_EQ(ini.key_value(nullptr, "k"), nullptr);
    EXPECT_EQ(ini.key_value("S", nullptr), nullptr);
    EXPECT_TRUE(ini.getSection("missing").empty());
    EXPECT_TRUE(ini.getSection(nullptr).empty());

    std::string out = "old";
    EXPECT_EQ(ini.getString("S", "missing", "fallback", out), 8u);
    EXPECT_EQ(out, "fallback");
    EXPECT_EQ(ini.getString("S", "missing", nullptr, out), 0u);
    EXPECT_EQ(out, "");
    EXPECT_EQ(ini.getString("s", "K", "fallback", out), 1u);
    EXPECT_EQ(out, "v");
}

TEST(IniParser, KeysBeforeTheFirstHeaderLandInTheEmptySection)
{
    IniParser ini;
    ASSERT_TRUE(LoadText(ini, "top=1\n[S]\nk=2\n"));
    std::string out;
    ini.getString("", "top", "", out);
    EXPECT_EQ(out, "1");
    EXPECT_EQ(ini.key_value("S", "top"), nullptr);
}

TEST(IniParser, LoadStringRejectsNullTextWithLength)
{
    IniParser ini;
    ASSERT_TRUE(LoadText(ini, "k=v\n"));
    EXPECT_FALSE(ini.loadString(nullptr, 5));
    EXPECT_EQ(ini.key_value("", "k"), nullptr) << "a load empties the parser first";
    EXPECT_TRUE(ini.loadString(nullptr, 0));
}

struct BoundCase {
    long n;
    const char* expected; // what the buffer holds
    unsigned int length;
};

void PrintTo(const BoundCase& c, std::ostream* os)
{
    *os << "n" << (c.n < 0 ? "Minus" : "") << (c.n < 0 ? -c.n : c.n);
}

class IniGetStringBounds : public ::testing::TestWithParam<BoundCase> {};

TEST_P(IniGetStringBounds, NeverWritesOutsideTheBuffer)
{
    const BoundCase& c = GetParam();
    IniParser ini;
    ASSERT_TRUE(LoadText(ini, "k=hello\n"));
    // Guard bytes on both sides of the n bytes the caller owns.
    char memory[32];
    std::memset(memory, '#', sizeof memory);
    char* out = memory + 8;
    EXPECT_EQ(ini.getString("", "k", "", out, c.n), c.length);
    if (c.n > 0) {
        EXPECT_STREQ(out, c.expected);
    }
    for (char* p = memory; p < out; ++p)
        EXPECT_EQ(*p, '#') << "byte before the buffer at " << (out - p);
    const long owned = c.n > 0 ? c.n : 0;
    for (char* p = out + owned; p < memory + sizeof memory; ++p)
        EXPECT_EQ(*p, '#') << "byte after the buffer at " << (p - out);
}

INSTANTIATE_TEST_SUITE_P(Sizes, IniGetStringBounds,
                         ::testing::Values(BoundCase{-5, "", 0}, BoundCase{0, "", 0}, BoundCase{1, "", 0},
                                           BoundCase{3, "he", 2}, BoundCase{6, "hello", 5},
                                           BoundCase{20, "hello", 5}),
                         ::testing::PrintToStringParamName());

TEST(IniParser, GetStringCopiesTheDefaultWithinBounds)
{
    IniParser ini;
    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(ini.getString("", "missing", "defaults", out, 4), 3u);
    EXPECT_STREQ(out, "def");
    EXPECT_EQ(ini.getString("", "missing", "defaults", nullptr, 4), 0u);
}

struct NumberCase {
    const char* value;
    long integer;
    float real;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << "value";
    for (const char* p = c.value; *p != '\0'; ++p)
        *os << (std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_');
}

class IniNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(IniNumbers, ReadsLeadingNumberOrDefault)
{
    const NumberCase& c = GetParam();
    IniParser ini;
    ini.setString("S", "k", c.value);
    EXPECT_EQ(ini.getInteger("S", "k", -99), c.integer) << c.value;
    EXPECT_FLOAT_EQ(ini.getFloat("S", "k", -9.5f), c.real) << c.value;
}

INSTANTIATE_TEST_SUITE_P(Values, IniNumbers,
                         ::testing::Values(NumberCase{"42", 42, 42.0f}, NumberCase{"-7", -7, -7.0f},
                                           NumberCase{"12abc", 12, 12.0f}, NumberCase{"1.5", 1, 1.5f},
                                           NumberCase{"abc", -99, -9.5f}, NumberCase{"", -99, -9.5f},
                                           NumberCase{"99999999999999999999999", -99, 1e23f}),
                         ::testing::PrintToStringParamName());

TEST(IniParser, NumbersOfMissingKeysGiveDefaults)
{
    IniParser ini;
    EXPECT_EQ(ini.getInteger("S", "k", 5), 5);
    EXPECT_FLOAT_EQ(ini.getFloat("S", "k", 2.5f), 2.5f);
}

TEST(IniParser, SettersFormatInTheDefaultStreamForm)
{
    IniParser ini;
    ini.setInteger("S", "int", -1234);
    ini.setFloat("S", "half", 1.5f);
    ini.setFloat("S", "big", 1e10f);
    EXPECT_STREQ(ini.key_value("S", "int"), "-1234");
    EXPECT_STREQ(ini.key_value("S", "half"), "1.5");
    EXPECT_STREQ(ini.key_value("S", "big"), "1e+10");
}

TEST(IniParser, StructsRoundTripAsUpperCaseHex)
{
    IniParser ini;
    const unsigned char bytes[] = {0x0A, 0xFF};
    ini.setStruct("S", "k", bytes, 2);
    EXPECT_STREQ(ini.key_value("S", "k"), "0AFF");

    unsigned char out[4] = {0x11, 0x11, 0x11, 0x11};
    EXPECT_EQ(ini.getStruct("S", "k", out, 4), 2);
    EXPECT_EQ(out[0], 0x0A);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(out[2], 0x11);

    ini.setStruct("S", "negative", bytes, -1);
    ini.setStruct("S", "null", nullptr, 2);
    EXPECT_EQ(ini.key_value("S", "negative"), nullptr);
    EXPECT_EQ(ini.key_value("S", "null"), nullptr);
}

struct StructCase {
    const char* value;
    long n;
    long count;
    std::vector<unsigned char> bytes; // the first bytes of the output afterwards
};

void PrintTo(const StructCase& c, std::ostream* os)
{
    *os << "value" << c.value << "_n" << (c.n < 0 ? "Minus" : "") << (c.n < 0 ? -c.n : c.n);
}

class IniGetStruct : public ::testing::TestWithParam<StructCase> {};

TEST_P(IniGetStruct, DecodesWholeBytesWithinN)
{
    const StructCase& c = GetParam();
    IniParser ini;
    ini.setString("S", "k", c.value);
    unsigned char out[8];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(ini.getStruct("S", "k", out, c.n), c.count) << c.value;
    for (std::size_t i = 0; i < c.bytes.size(); ++i)
        EXPECT_EQ(out[i], c.bytes[i]) << c.value << " byte " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniGetStruct,
    ::testing::Values(StructCase{"0aFf", 4, 2, {0x0A, 0xFF, 0xEE}},
                      StructCase{"123", 4, 1, {0x12, 0x30, 0xEE}},
                      StructCase{"0102030405", 2, 2, {0x01, 0x02, 0xEE}},
                      StructCase{"01zz02", 4, 1, {0x01, 0xEE}}, StructCase{"zz", 4, 0, {0xEE}},
                      StructCase{"", 4, 0, {0xEE}}, StructCase{"0102", 0, 0, {0xEE}},
                      StructCase{"0102", -1, 0, {0xEE}}),
    ::testing::PrintToStringParamName());

TEST(IniParser, GetStructOfMissingKeyOrNullBufferIsZero)
{
    IniParser ini;
    unsigned char out[2] = {0xEE, 0xEE};
    EXPECT_EQ(ini.getStruct("S", "k", out, 2), 0);
    ini.setString("S", "k", "0102");
    EXPECT_EQ(ini.getStruct("S", "k", nullptr, 2), 0);
    EXPECT_EQ(out[0], 0xEE);
}

TEST(IniParser, SaveWritesSectionsAndKeysInNameOrder)
{
    TempFolder folder;
    const std::string path = folder.File("order.ini");
    {
        IniParser ini;
        ini.setString("b", "z", "1");
        ini.setString("b", "Y", "2");
        ini.setString("A", "k", "3");
        ini.setString("", "top", "4");
        ASSERT_TRUE(ini.saveAs(path.c_str()));
    }
    EXPECT_EQ(ReadFile(path), "[]\ntop=4\n\n[A]\nk=3\n\n[b]\nY=2\nz=1\n\n");

    IniParser back(path.c_str());
    std::string out;
    back.getString("", "top", "", out);
    EXPECT_EQ(out, "4") << "keys of the empty section load back under []";
    EXPECT_STREQ(back.key_value("B", "y"), "2");
}

TEST(IniParser, SaveKeepsFirstSpellingWithLastValue)
{
    TempFolder folder;
    const std::string path = folder.File("case.ini");
    WriteFile(path, "[S]\nKEY=1\nkey=2\n");
    IniParser ini(path.c_str());
    ini.setString("s", "Key", "2");
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(ReadFile(path), "[S]\nKEY=2\n\n");
}

// Every section, key and value of a parser, in map order.
std::vector<std::string> Contents(const IniParser& ini, const std::vector<std::string>& sections)
{
    std::vector<std::string> lines;
    for (const std::string& name : sections)
        for (const auto& [key, value] : ini.getSection(name.c_str()))
            lines.push_back(name + "|" + key + "|" + value);
    return lines;
}

TEST(IniParser, ValuesSurviveSaveAndLoadUnchanged)
{
    using namespace std::string_literals;
    const struct {
        const char* what;
        std::string text;
        std::vector<std::string> sections;
        std::string expected; // "section|key|value" of the one entry the text holds
    } cases[] = {
        {"a value ending in a carriage return", "[S]\nk=abc\r\r\n", {"S"}, "S|k|abc\r"},
        {"a value ending in two", "[S]\r\nk=abc\r\r\r\n", {"S"}, "S|k|abc\r\r"},
        {"a last line without its line feed", "k=x\r\r", {""}, "|k|x\r"},
        {"a carriage return inside", "[S]\nk=a\rb\n", {"S"}, "S|k|a\rb"},
        {"trailing blanks", "[S]\nk=a \t\n", {"S"}, "S|k|a \t"},
        {"NUL bytes in names and value", "[S\0T]\nk\0ey=a\0b\n"s, {"S\0T"s}, "S\0T|k\0ey|a\0b"s},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const std::string path = folder.File("round.ini");
        IniParser ini;
        ASSERT_TRUE(LoadText(ini, c.text)) << c.what;
        ASSERT_EQ(Contents(ini, c.sections), std::vector<std::string>{c.expected}) << c.what;
        ASSERT_TRUE(ini.saveAs(path.c_str())) << c.what;
        IniParser back;
        ASSERT_TRUE(back.load(path.c_str())) << c.what;
        EXPECT_EQ(Contents(back, c.sections), std::vector<std::string>{c.expected}) << c.what;
    }

    // A value set by a caller, saved by the destructor.
    TempFolder folder;
    const std::string path = folder.File("set.ini");
    {
        IniParser ini;
        ini.setString("S", "k", "line\r");
        ASSERT_TRUE(ini.saveAs(path.c_str()));
    }
    EXPECT_STREQ(IniParser(path.c_str()).key_value("S", "k"), "line\r");
}

TEST(IniParser, LoadReadsFileWithCrLfAndNoFinalNewline)
{
    TempFolder folder;
    const std::string path = folder.File("crlf.ini");
    WriteFile(path, "[LANGUAGE]\r\nCURRENT=ENGLISH\r\n[ENGLISH]\r\n%A%=Text\r");
    IniParser ini;
    ASSERT_TRUE(ini.load(path.c_str()));
    EXPECT_STREQ(ini.key_value("LANGUAGE", "CURRENT"), "ENGLISH");
    // The section named by the value must be found: no carriage return in either.
    EXPECT_STREQ(ini.key_value(ini.key_value("LANGUAGE", "CURRENT"), "%A%"), "Text");
}

TEST(IniParser, FailedLoadLeavesTheParserEmpty)
{
    TempFolder folder;
    IniParser ini;
    ASSERT_TRUE(LoadText(ini, "k=v\n"));
    EXPECT_FALSE(ini.load(folder.File("missing.ini").c_str()));
    EXPECT_EQ(ini.key_value("", "k"), nullptr);
    EXPECT_FALSE(ini.save()) << "a failed load leaves no file name";

    ASSERT_TRUE(LoadText(ini, "k=v\n"));
    EXPECT_FALSE(ini.load(folder.Path().c_str())) << "a folder is not a readable file";
    EXPECT_EQ(ini.key_value("", "k"), nullptr);
    EXPECT_FALSE(ini.load(nullptr));
}

TEST(IniParser, SaveWithoutFileNameFailsAndStaysDirty)
{
    TempFolder folder;
    const std::string path = folder.File("later.ini");
    IniParser ini;
    ini.setString("S", "k", "v");
    EXPECT_FALSE(ini.save());
    ASSERT_TRUE(ini.saveAs(path.c_str()));
    EXPECT_EQ(ReadFile(path), "[S]\nk=v\n\n");
}

TEST(IniParser, FailedSaveAsKeepsTheOldFileName)
{
    TempFolder folder;
    const std::string path = folder.File("keep.ini");
    WriteFile(path, "[S]\nk=1\n");
    IniParser ini(path.c_str());
    ini.setString("S", "k", "2");
    EXPECT_FALSE(ini.saveAs(folder.File("no/such/folder.ini").c_str()));
    EXPECT_FALSE(ini.saveAs(nullptr));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(ReadFile(path), "[S]\nk=2\n\n");
}

TEST(IniParser, SaveReportsAFileThatCannotBeWritten)
{
    // /dev/full accepts the open and fails every write: the save must not claim success.
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "/dev/full is not available";
    IniParser ini;
    ini.setString("S", "k", std::string(8192, 'x').c_str());
    EXPECT_FALSE(ini.saveAs("/dev/full"));
}

TEST(IniParser, DirtyParserSavesBeforeLoadAndOnDestruction)
{
    TempFolder folder;
    const std::string first = folder.File("first.ini");
    const std::string second = folder.File("second.ini");
    WriteFile(first, "[S]\nk=1\n");
    WriteFile(second, "[T]\nj=1\n");
    {
        IniParser ini(first.c_str());
        ini.setString("S", "k", "changed");
        ASSERT_TRUE(ini.load(second.c_str()));
        EXPECT_EQ(ReadFile(first), "[S]\nk=changed\n\n");
        EXPECT_EQ(ini.key_value("S", "k"), nullptr);
        ini.setInteger("T", "j", 7);
    }
    EXPECT_EQ(ReadFile(second), "[T]\nj=7\n\n");
}

TEST(IniParser, CleanParserDoesNotRewriteItsFile)
{
    TempFolder folder;
    const std::string path = folder.File("clean.ini");
    const std::string text = "; kept as written\n[S]\n  k = v\n";
    WriteFile(path, text);
    {
        IniParser ini(path.c_str());
        EXPECT_STREQ(ini.key_value("S", "k"), "v");
    }
    EXPECT_EQ(ReadFile(path), text);
}

} // namespace
