// Checks the message file that ships with the console against the catalogue of
// result kinds: every kind a module returns must have a helpful text.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "IniParser.h"
#include "KSResultKinds.h"
#include "MessageKeys.h"
#include "MsgLib.h"

namespace {

// The texts are formatted in buffers of 260 bytes: a longer text would be cut.
constexpr std::size_t kLongestText = 259 - sizeof " (0x00000000).\n" + 1;

class ShippedMessageFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_file.load(RVD_MESSAGE_FILE)) << RVD_MESSAGE_FILE;
        m_file.getString("LANGUAGE", "CURRENT", "DEFAULT", m_language);
    }

    // Leave the program-wide message parser as a fresh program has it.
    void TearDown() override
    {
        g_bIniLoad = 0;
        g_clsIniParser.loadString(nullptr, 0);
    }

    // The text for code as the message library finds it, or why there is none.
    ::testing::AssertionResult HasText(unsigned int code, std::string& text) const
    {
        const std::string key = MessageCodeKey(code);
        const char* value = m_file.key_value("CODE", key.c_str());
        if (value == nullptr)
            return ::testing::AssertionFailure() << "no key \"" << key << "\" in [CODE]";
        const std::string symbol = CutMessageSymbol(value);
        if (symbol.size() < 3 || symbol.front() != '%' || symbol.back() != '%')
            return ::testing::AssertionFailure() << "key \"" << key << "\" has no %SYMBOL%: " << value;
        const char* found = m_file.key_value(m_language.c_str(), symbol.c_str());
        if (found == nullptr || *found == '\0')
            return ::testing::AssertionFailure() << "no text for " << symbol << " in [" << m_language << "]";
        text = found;
        return ::testing::AssertionSuccess();
    }

    tamVoke::IniParser m_file;
    std::string m_language;
};

TEST_F(ShippedMessageFile, NamesALanguageThatItHolds)
{
    EXPECT_FALSE(m_file.getSection(m_language.c_str()).empty()) << m_language;
}

TEST_F(ShippedMessageFile, EveryCatalogueKindHasItsOwnText)
{
    std::string unknown;
    ASSERT_TRUE(m_file.getString(m_language.c_str(), "%KS_ERR_UNKNOWN%", "", unknown) > 0);
    for (const KSResultKindInfo& entry : g_ksResultKinds) {
        const unsigned int code = static_cast<unsigned int>(KSMakeResult(0x123, entry.module, entry.kind));
        std::string text;
        EXPECT_TRUE(HasText(code, text)) << "module " << entry.module << " kind 0x" << std::hex << entry.kind
                                         << " (" << entry.symbol << ")";
        EXPECT_NE(text, unknown) << entry.symbol;
    }
}

TEST_F(ShippedMessageFile, CatalogueListsEachKindOncePerModule)
{
    std::set<std::pair<unsigned long, unsigned long>> seen;
    std::set<unsigned long> common;
    for (const KSResultKindInfo& entry : g_ksResultKinds) {
        EXPECT_NE(entry.kind, 0u) << entry.symbol << ": kind 0 is success";
        EXPECT_LE(entry.kind, 0xFFFu) << entry.symbol;
        EXPECT_TRUE(seen.insert({entry.module, entry.kind}).second) << entry.symbol << " listed twice";
        if (entry.module == KS_KINDS_COMMON)
            common.insert(entry.kind);
    }
    // A common kind is listed once for all modules, not again under one of them.
    for (const KSResultKindInfo& entry : g_ksResultKinds) {
        if (entry.module != KS_KINDS_COMMON) {
            EXPECT_EQ(common.count(entry.kind), 0u) << entry.symbol << " repeats a common kind";
        }
    }
}

TEST_F(ShippedMessageFile, EverySymbolHasAShortEnoughTextWithoutCodeKeys)
{
    for (const auto& [key, value] : m_file.getSection("CODE")) {
        std::string text;
        EXPECT_TRUE(HasText(static_cast<unsigned int>(std::stoul(key, nullptr, 16) << (key.size() > 3 ? 16 : 0)),
                            text))
            << key;
    }
    for (const auto& [symbol, text] : m_file.getSection(m_language.c_str())) {
        EXPECT_LE(text.size(), kLongestText) << symbol;
        EXPECT_EQ(text.find('\r'), std::string::npos) << symbol;
    }
}

TEST_F(ShippedMessageFile, UnexplainedFailuresShowTheirCode)
{
    ASSERT_EQ(InitMsgLib(const_cast<char*>(RVD_MESSAGE_FILE)), 1);
    char out[2048];
    // Internal families, an unknown whole code and the unspecified kind are reported
    // with the code, so that a user can pass it on.
    const unsigned int codes[] = {0xFF001234u, 0xFF01ABCDu, 0xF0000007u, 0x0042AFFFu, 0x00427ABCu};
    for (unsigned int code : codes) {
        ASSERT_EQ(ZeFormatFullMessage(code, sizeof out, out), 1);
        EXPECT_NE(std::strstr(out, "Internal error"), nullptr) << std::hex << code << ": " << out;
        EXPECT_NE(std::strstr(out, " (0x"), nullptr) << std::hex << code << ": " << out;
    }
    ASSERT_EQ(ZeFormatFullMessage(0x00425060u, sizeof out, out), 1);
    EXPECT_STREQ(out, "The password is wrong. Enter the password that was given when the image was made.");
}

} // namespace
