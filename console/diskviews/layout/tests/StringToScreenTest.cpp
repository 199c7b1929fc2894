#include <gtest/gtest.h>

#include "PartitionRules.h"

namespace {
TEST(StringToScreenTest, CutsToTheWidthWithAnEllipsis)
{
    struct Case { std::string text; int width; std::string shown; };
    const Case cases[] = {
        {"abcdefghij", 96, "abcde..."},  // 8 characters fit
        {"abcdefghij", 60, "abcdefghij"}, // fewer than 6 fit: left whole
        {"abcdefghij", 200, "abcdefghij"},
        {"", 96, ""},
        {"\xc3\xa4\xc3\xb6\xc3\xbc\xc3\xa4\xc3\xb6\xc3\xbc\xc3\xa4\xc3\xb6", 72, "\xc3\xa4\xc3\xb6\xc3\xbc..."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.shown, GetStringToScreen(c.text, c.width)) << c.text << " at " << c.width;
}
}  // namespace
