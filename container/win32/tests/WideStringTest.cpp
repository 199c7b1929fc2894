#include "KSResult.h"
#include "KSWideString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool IsHelperBadArgument(unsigned long code)
{
    return KSResultKind(code) == KS_KIND_BAD_ARGUMENT && KSResultModule(code) == KS_MODULE_HELPERS;
}

} // namespace

TEST(WideStringConversion, LongTextIsCutToCountUnitsWithTheTerminatorInside)
{
    const std::wstring source(300, L'x');
    char16_t destination[260];
    std::fill(std::begin(destination), std::end(destination), u'#');
    ASSERT_EQ(wcstoUINT16(destination, 256, source.c_str()), 0ul);
    EXPECT_EQ(std::u16string(destination), std::u16string(255, u'x'));
    EXPECT_EQ(destination[256], u'#'); // nothing written past count units

    wchar_t wide[260];
    std::fill(std::begin(wide), std::end(wide), L'#');
    ASSERT_EQ(UINT16towcs(wide, 100, destination), 0ul);
    EXPECT_EQ(std::wstring(wide), std::wstring(99, L'x'));
    EXPECT_EQ(wide[100], L'#');
}

TEST(WideStringConversion, ShortTextIsCopiedWithItsTerminatorOnly)
{
    const char16_t label[] = {u'D', u'a', 0xD83D, 0xDE00, u'\u00e9', 0}; // a surrogate pair stays two units
    wchar_t wide[16];
    std::fill(std::begin(wide), std::end(wide), L'#');
    ASSERT_EQ(UINT16towcs(wide, 16, label), 0ul);
    EXPECT_EQ(std::wstring(wide), (std::wstring{L'D', L'a', 0xD83D, 0xDE00, L'\u00e9'}));
    EXPECT_EQ(wide[6], L'#');

    char16_t back[16];
    ASSERT_EQ(wcstoUINT16(back, 16, wide), 0ul);
    EXPECT_EQ(std::u16string(back), std::u16string(label));
}

TEST(WideStringConversion, CharacterBeyondOneUnitBecomesTheReplacementCharacter)
{
    // Its low 16 bits would be NUL and end the text early.
    const wchar_t text[] = {L'a', static_cast<wchar_t>(0x10000), L'b', 0};
    char16_t units[8];
    ASSERT_EQ(wcstoUINT16(units, 8, text), 0ul);
    EXPECT_EQ(std::u16string(units), (std::u16string{u'a', 0xFFFD, u'b'}));
}

TEST(WideStringConversion, RefusesNullArgumentsAndAZeroCount)
{
    char16_t units[4] = {u'#', u'#', u'#', u'#'};
    wchar_t wide[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_TRUE(IsHelperBadArgument(wcstoUINT16(nullptr, 4, L"x")));
    EXPECT_TRUE(IsHelperBadArgument(wcstoUINT16(units, 4, nullptr)));
    EXPECT_TRUE(IsHelperBadArgument(UINT16towcs(nullptr, 4, u"x")));
    EXPECT_TRUE(IsHelperBadArgument(UINT16towcs(wide, 4, nullptr)));
    // A count of 0 leaves no room for the terminator; nothing around is touched.
    EXPECT_TRUE(IsHelperBadArgument(wcstoUINT16(units + 1, 0, L"abc")));
    EXPECT_TRUE(IsHelperBadArgument(UINT16towcs(wide + 1, 0, u"abc")));
    EXPECT_EQ(std::u16string(units, 4), u"####");
    EXPECT_EQ(std::wstring(wide, 4), L"####");
    // A count of 1 holds just the terminator.
    ASSERT_EQ(wcstoUINT16(units, 1, L"abc"), 0ul);
    EXPECT_EQ(units[0], 0);
    EXPECT_EQ(units[1], u'#');
}

TEST(CompareWchar, FoldsAsciiLettersOnly)
{
    struct Case {
        wchar_t a;
        wchar_t b;
        int sign;
    };
    const Case cases[] = {
        {L'a', L'A', 0},  {L'Z', L'z', 0},  {L'a', L'b', -1}, {L'B', L'a', 1},
        {L'[', L'{', -1}, // '[' does not fold into '{'
        {L'@', L'`', -1}, {L'\u00c9', L'\u00e9', -1}, {L'1', L'1', 0},
    };
    for (const Case& c : cases) {
        const int result = CompareWchar(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << static_cast<int>(c.a) << " vs " << static_cast<int>(c.b);
    }
    EXPECT_EQ(CompareWchar(L'c', L'A'), 2);
}
