#include "KSWideString.h"

#include <gtest/gtest.h>

TEST(FindingString, FindsThePatternWithOneCharacterWildcards)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* pattern;
        int start;
        int expected;
    };
    const Case cases[] = {
        {L"abba", L"a?a", 0, -1},       // no "a_a" in "abba"
        {L"abaabaaa", L"aba?a", 0, 3},  // found past an overlapping false start
        {L"aaab", L"aab", 0, 1},
        {L"xabcabc", L"abc", 0, 1},
        {L"xabcabc", L"abc", 2, 4},
        {L"xabcabc", L"a?c", 5, -1},
        {L"abc", L"???", 0, 0},
        {L"abc", L"????", 0, -1},      // text too short
        {L"ABC", L"abc", 0, -1},       // case counts
        {L"abc", L"", 2, 2},           // an empty pattern is found where the search starts
        {L"abc", L"", 3, 3},
        {L"abc", L"c", 4, -1},         // start past the end
        {L"abc", L"a", -1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindingString(c.text, c.pattern, c.start), c.expected) << c.text << " / " << c.pattern;
    EXPECT_EQ(FindingString(nullptr, L"a", 0), -1);
    EXPECT_EQ(FindingString(L"a", nullptr, 0), -1);
}

TEST(MatchingString, MatchesWholeNamesAgainstWildcards)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* pattern;
        int caseSensitive;
        bool expected;
    };
    const Case cases[] = {
        {L"abc.RVD", L"*.rvd", 0, true},
        {L"abc.RVD", L"*.rvd", 1, false},
        {L"abc.rvd", L"*.rvd", 1, true},
        {L"abc", L"a?c", 1, true},
        {L"ac", L"a?c", 1, false},
        {L"abcd", L"a?c", 1, false},
        {L"", L"", 1, true},
        {L"a", L"", 1, false},
        {L"", L"*", 1, true},
        {L"", L"?", 1, false},
        {L"abc", L"**", 1, true},
        {L"abc", L"a*b*c", 1, true},
        {L"aXXbYYc", L"a*b*c", 1, true},
        {L"ab", L"a*b*c", 1, false},
        {L"abcbc", L"*bc", 1, true},
        {L"mississippi", L"m*iss*ppi", 1, true},
        {L"mississippi", L"m*iss*iss*iss*", 1, false},
        {L"abba", L"*a?a*", 1, false},
        {L"xabaabaaay", L"*aba?a*", 1, true},
        {L"Image01.rvd.tmp", L"*.rvd", 0, false},
        {L"IMG001.RVD", L"img???.rvd", 0, true},
        {L"img01.rvd", L"img???.rvd", 0, false},
        {L"a*b", L"a*b", 1, true},
        {L"Ind12.tmp", L"ind*.TMP", 0, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchingString(c.text, c.pattern, c.caseSensitive) != FALSE, c.expected)
            << c.text << " / " << c.pattern << " case " << c.caseSensitive;
    EXPECT_FALSE(MatchingString(nullptr, L"*", 0));
    EXPECT_FALSE(MatchingString(L"a", nullptr, 0));
}

TEST(MultiMatching, AnyOrAllOfAPatternList)
{
    const wchar_t patterns[] = L"*.rvd\0img*\0";
    EXPECT_TRUE(MultiMatching(L"img1.RVD", patterns, 0, 0));
    EXPECT_TRUE(MultiMatching(L"img1.RVD", patterns, 1, 0));
    EXPECT_TRUE(MultiMatching(L"backup.rvd", patterns, 0, 0));
    EXPECT_FALSE(MultiMatching(L"backup.rvd", patterns, 1, 0));
    EXPECT_FALSE(MultiMatching(L"IMG1.RVD", patterns, 0, 1)); // case counts
    EXPECT_FALSE(MultiMatching(L"notes.txt", patterns, 0, 0));
    EXPECT_TRUE(MultiMatching(L"anything", L"", 0, 0));
    EXPECT_TRUE(MultiMatching(L"anything", L"", 1, 0));
    EXPECT_FALSE(MultiMatching(nullptr, patterns, 0, 0));
}
