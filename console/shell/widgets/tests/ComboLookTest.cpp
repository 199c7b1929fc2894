#include "ComboLook.h"

#include <gtest/gtest.h>

namespace {

TEST(ComboLook, FillTextAndBandFollowSensitivityAndFocus)
{
    struct Case {
        bool sensitive;
        bool focused;
        unsigned fill;
        unsigned text;
    };
    const Case cases[] = {
        {true, false, 0xFFFFFF, 0x000000},
        {true, true, 0xFFFFFF, 0xFFFFFF},  // white on the selection band
        {false, false, 0xECE9D8, 0xACA899},
        {false, true, 0xECE9D8, 0xACA899}, // grey text whatever the focus
    };
    for (const Case& c : cases) {
        const ComboLook look = ComboLookFor({20, 30, 105, 22}, c.sensitive, c.focused, kComboNormal);
        EXPECT_EQ(look.fillRgb, c.fill);
        EXPECT_EQ(look.textRgb, c.text);
        EXPECT_EQ(look.focusBand, c.focused);
    }
}

TEST(ComboLook, GeometryOfFillBandTextAndArrow)
{
    const ComboLook look = ComboLookFor({20, 30, 105, 22}, true, true, kComboNormal);
    EXPECT_EQ(look.fill.x, 21);
    EXPECT_EQ(look.fill.y, 31);
    EXPECT_EQ(look.fill.width, 103);
    EXPECT_EQ(look.fill.height, 20);
    EXPECT_EQ(look.focusRect.x, 23);
    EXPECT_EQ(look.focusRect.width, 80);
    EXPECT_EQ(look.focusRect.height, 16);
    EXPECT_EQ(look.band.x, 24);
    EXPECT_EQ(look.band.y, 34);
    EXPECT_EQ(look.band.width, 79);
    EXPECT_EQ(look.band.height, 14);
    EXPECT_EQ(look.bandRgb, 0x316AC5u);
    EXPECT_EQ(look.textX, 25);
    EXPECT_EQ(look.textY, 46);
    EXPECT_EQ(look.arrowPath, "../res/CBbtn_normal.png");
    EXPECT_EQ(look.arrowX, 107);
    EXPECT_EQ(look.arrowY, 33); // 30 + (22 - 16) / 2
    // An odd height divides as integers.
    EXPECT_EQ(ComboLookFor({0, 0, 105, 23}, true, false, kComboHover).arrowY, 3);
    EXPECT_EQ(ComboLookFor({0, 0, 105, 23}, true, false, kComboHover).arrowPath, "../res/CBbtn_hover.png");
}

} // namespace
