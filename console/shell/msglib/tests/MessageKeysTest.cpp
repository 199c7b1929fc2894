#include "MessageKeys.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct KeyCase {
    unsigned int code;
    const char* key;
};

void PrintTo(const KeyCase& c, std::ostream* os)
{
    *os << "code" << std::hex << std::uppercase << c.code;
}

class MessageCodeKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(MessageCodeKeys, FormsTheKeyFromTheHighBits)
{
    EXPECT_EQ(MessageCodeKey(GetParam().code), GetParam().key) << std::hex << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, MessageCodeKeys,
    ::testing::Values(KeyCase{0x00000000, "0"}, KeyCase{0x00123060, "60"}, KeyCase{0xFFFFA060, "60"},
                      KeyCase{0x0001100C, "c"}, KeyCase{0x0042AFFF, "fff"},
                      // Whole-code families keep every digit, in lower case.
                      KeyCase{0xF0000005, "f0000005"}, KeyCase{0xF001ABCD, "f001abcd"},
                      // Internal families share one key.
                      KeyCase{0xFF001234, "ff00"}, KeyCase{0xFF01FFFF, "ff00"},
                      // Neighbouring high words are ordinary codes.
                      KeyCase{0xF0020001, "1"}, KeyCase{0xFF021060, "60"}, KeyCase{0xEFFF0009, "9"}),
    ::testing::PrintToStringParamName());

struct SymbolCase {
    const char* value;
    const char* symbol;
};

class MessageSymbols : public ::testing::TestWithParam<SymbolCase> {};

TEST_P(MessageSymbols, CutsBehindTheLastPercent)
{
    EXPECT_EQ(CutMessageSymbol(GetParam().value), GetParam().symbol) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, MessageSymbols,
                         ::testing::Values(SymbolCase{"%KS_ERR_A%", "%KS_ERR_A%"},
                                           SymbolCase{"%KS_ERR_A% with words behind", "%KS_ERR_A%"},
                                           SymbolCase{"%KS_ERR_A", "%KS_ERR_A"},
                                           SymbolCase{"AB%CD", "AB%"}, SymbolCase{"NO_PERCENT", ""},
                                           SymbolCase{"", ""}, SymbolCase{"%", "%"},
                                           SymbolCase{"%A%B%C", "%A%B%"}),
                         [](const ::testing::TestParamInfo<SymbolCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

} // namespace
