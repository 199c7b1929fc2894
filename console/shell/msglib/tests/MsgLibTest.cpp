#include "MsgLib.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

namespace {

namespace fs = std::filesystem;

const char kMessages[] =
    "[LANGUAGE]\n"
    "CURRENT=English\n"
    "[CODE]\n"
    "0=%KS_ERR_INTERNAL%\n"
    "60=%KS_ERR_WRONG_PASSWORD%\n"
    "ff00=%KS_ERR_INTERNAL%\n"
    "f0000005=%KS_ERR_COPY%\n"
    "8=%KS_ERR_NO_MEMORY% and words behind it\n"
    "9=NO_PERCENT\n"
    "a=%KS_ERR_ONLY_FIRST\n"
    "b=%KS_ERR_WITHOUT_TEXT%\n"
    "c=AB%CD\n"
    "d=%KS_ERR_INTERNAL%\n"
    "e=%KS_ERR_LONG%\n"
    "f=%KS_ERR_HUGE%\n"
    "[ENGLISH]\n"
    "%KS_ERR_WRONG_PASSWORD%=The password is wrong.\n"
    "%KS_ERR_INTERNAL%=Internal error in the program\n"
    "%KS_ERR_UNKNOWN%=Unknown failure\n"
    "%KS_ERR_COPY%=The copy failed.\n"
    "%KS_ERR_NO_MEMORY%=Out of memory.\n"
    "%KS_ERR_ONLY_FIRST=Only the first percent\n"
    "AB%=Cut at the inner percent\n"
    "%KS_ERR_LONG%=abcdefghijklmnopqrstuvwxyz0123\n";

// A folder laid out like an installation: bin/ (the working folder) beside res/.
class MessageLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "msglib_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        fs::create_directories(m_root / "bin");
        fs::create_directories(m_root / "res");
        m_file = (m_root / "res" / "RVEMLib.ini").string();
        std::string huge = std::string(kMessages) + "%KS_ERR_HUGE%=" + std::string(400, 'h') + "\n";
        WriteFile(m_file, huge);
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        m_oldCwd = cwd;
        ASSERT_EQ(chdir((m_root / "bin").c_str()), 0);
        g_bIniLoad = 0;
        g_clsIniParser.loadString(nullptr, 0);
    }

    void TearDown() override
    {
        EXPECT_EQ(chdir(m_oldCwd.c_str()), 0);
        g_bIniLoad = 0;
        g_clsIniParser.loadString(nullptr, 0);
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    static void WriteFile(const std::string& path, const std::string& text)
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }

    std::string Message(unsigned int code, unsigned int n = 2048)
    {
        char out[2048];
        std::memset(out, 0, sizeof out);
        EXPECT_EQ(ZeFormatMessage(code, n, out), 1) << std::hex << code;
        return out;
    }

    std::string FullMessage(unsigned int code, unsigned int n = 2048)
    {
        char out[2048];
        std::memset(out, 0, sizeof out);
        EXPECT_EQ(ZeFormatFullMessage(code, n, out), 1) << std::hex << code;
        return out;
    }

    fs::path m_root;
    std::string m_file;
    std::string m_oldCwd;
};

struct TextCase {
    unsigned int code;
    const char* text;
};

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << "code" << std::hex << std::uppercase << c.code;
}

class MessageTexts : public MessageLibrary, public ::testing::WithParamInterface<TextCase> {};

TEST_P(MessageTexts, FindsTheTextThroughCodeAndSymbol)
{
    EXPECT_EQ(Message(GetParam().code), GetParam().text) << std::hex << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, MessageTexts,
    ::testing::Values(
        // The kind alone decides, whatever the line and module bits.
        TextCase{0x00123060, "The password is wrong."}, TextCase{0x0001A060, "The password is wrong."},
        TextCase{0xFFFF0060, "The password is wrong."},
        // Whole-code family: its own key; a code without one falls back to the unknown text.
        TextCase{0xF0000005, "The copy failed."}, TextCase{0xF0010005, "Unknown failure"},
        // Both internal families share "ff00".
        TextCase{0xFF001234, "Internal error in the program"},
        TextCase{0xFF015678, "Internal error in the program"},
        // Symbol cutting: words behind the symbol, no closing percent, an inner percent.
        TextCase{0x00003008, "Out of memory."}, TextCase{0x0000300A, "Only the first percent"},
        TextCase{0x0000300C, "Cut at the inner percent"},
        // A symbol with no percent sign, or without a text: the empty text.
        TextCase{0x00003009, ""}, TextCase{0x0000300B, ""},
        // A kind without a key in CODE.
        TextCase{0x00003123, "Unknown failure"}),
    ::testing::PrintToStringParamName());

TEST_F(MessageLibrary, LoadsTheDefaultFileBesideTheWorkingFolder)
{
    EXPECT_EQ(InitMsgLib(nullptr), 1);
    EXPECT_EQ(g_bIniLoad, 1);
    char empty[] = "";
    EXPECT_EQ(InitMsgLib(empty), 1);
    EXPECT_EQ(Message(0x60), "The password is wrong.");
}

TEST_F(MessageLibrary, LoadsAnExplicitFile)
{
    const std::string other = (m_root / "other.ini").string();
    WriteFile(other, "[CODE]\n60=%X%\n[DEFAULT]\n%X%=From the default language\n");
    EXPECT_EQ(InitMsgLib(const_cast<char*>(other.c_str())), 1);
    // No LANGUAGE section: the texts come from "DEFAULT".
    EXPECT_EQ(Message(0x60), "From the default language");

    EXPECT_EQ(InitMsgLib(const_cast<char*>((m_root / "none.ini").c_str())), 0);
    EXPECT_EQ(g_bIniLoad, 0);
}

TEST_F(MessageLibrary, MissingLanguageSectionGivesTheEmptyText)
{
    WriteFile(m_file, "[LANGUAGE]\nCURRENT=French\n[CODE]\n60=%X%\n[ENGLISH]\n%X%=English text\n");
    EXPECT_EQ(Message(0x60), "");
}

TEST_F(MessageLibrary, CrLfFileWithoutFinalNewlineFindsItsLanguage)
{
    WriteFile(m_file, "[LANGUAGE]\r\nCURRENT=English\r\n[CODE]\r\n60=%X%\r\n[English]\r\n%X%=Found\r");
    EXPECT_EQ(Message(0x60), "Found");
    WriteFile(m_file, "[CODE]\r\n60=%X%\r\n[English]\r\n%X%=Found\r\n[LANGUAGE]\r\nCURRENT=English\r");
    g_bIniLoad = 0;
    EXPECT_EQ(Message(0x60), "Found");
}

TEST_F(MessageLibrary, MissingFileIsRetriedOnTheNextCall)
{
    fs::remove(m_file);
    char out[64];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(ZeFormatMessage(0x60, sizeof out, out), 0);
    EXPECT_EQ(ZeFormatFullMessage(0xFF001234, sizeof out, out), 0);
    EXPECT_EQ(out[0], '#') << "a failed call leaves the buffer untouched";
    EXPECT_EQ(g_bIniLoad, 0);

    WriteFile(m_file, kMessages);
    EXPECT_EQ(ZeFormatMessage(0x60, sizeof out, out), 1);
    EXPECT_STREQ(out, "The password is wrong.");
    EXPECT_EQ(g_bIniLoad, 1);
}

TEST_F(MessageLibrary, NullBufferOrNoRoomFails)
{
    EXPECT_EQ(ZeFormatMessage(0x60, 10, nullptr), 0);
    EXPECT_EQ(ZeFormatFullMessage(0x60, 10, nullptr), 0);
    char out[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(ZeFormatMessage(0x60, 0, out), 0);
    EXPECT_EQ(ZeFormatFullMessage(0x60, 0, out), 0);
    EXPECT_EQ(out[0], '#');
}

struct BoundCase {
    unsigned int code;
    unsigned int n;
    const char* expected;
};

void PrintTo(const BoundCase& c, std::ostream* os)
{
    *os << "code" << std::hex << std::uppercase << c.code << "_n" << std::dec << c.n;
}

class MessageBounds : public MessageLibrary, public ::testing::WithParamInterface<BoundCase> {};

// n is the size of the caller's buffer, terminator included: nothing is written at
// out[n] or beyond.
TEST_P(MessageBounds, BothFunctionsStayInsideNBytes)
{
    const BoundCase& c = GetParam();
    for (int full = 0; full < 2; ++full) {
        char memory[64];
        std::memset(memory, '#', sizeof memory);
        const int result = full ? ZeFormatFullMessage(c.code, c.n, memory) : ZeFormatMessage(c.code, c.n, memory);
        EXPECT_EQ(result, 1);
        EXPECT_STREQ(memory, c.expected) << (full ? "full" : "plain");
        for (std::size_t i = c.n; i < sizeof memory; ++i)
            ASSERT_EQ(memory[i], '#') << "byte " << i << (full ? " full" : " plain");
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, MessageBounds,
                         ::testing::Values(BoundCase{0xE, 10, "abcdefghi"}, BoundCase{0xE, 1, ""},
                                           BoundCase{0xE, 30, "abcdefghijklmnopqrstuvwxyz012"},
                                           BoundCase{0xE, 31, "abcdefghijklmnopqrstuvwxyz0123"},
                                           BoundCase{0x60, 5, "The "}),
                         ::testing::PrintToStringParamName());

TEST_F(MessageLibrary, FullMessageAddsTheCodeOnlyForInternalErrors)
{
    EXPECT_EQ(FullMessage(0x00123060), "The password is wrong.");
    EXPECT_EQ(FullMessage(0x0042500D), "Internal error in the program (0x0042500D).\n");
    // The internal families show as the whole-code families, low 16 bits unchanged.
    EXPECT_EQ(FullMessage(0xFF001234), "Internal error in the program (0xF0001234).\n");
    EXPECT_EQ(FullMessage(0xFF01ABCD), "Internal error in the program (0xF001ABCD).\n");
    // Code 0 has no code to show.
    EXPECT_EQ(FullMessage(0), "Internal error in the program\n");
}

TEST_F(MessageLibrary, LongTextsAreCutToTheWorkingBuffers)
{
    // The plain message honours the caller's size; the full one works in 260 bytes.
    EXPECT_EQ(Message(0xF), std::string(400, 'h'));
    EXPECT_EQ(FullMessage(0xF), std::string(259, 'h'));
}

} // namespace
