#include "HpanedResize.h"

#include <gtest/gtest.h>

namespace {

TEST(HpanedResize, MovesWidthFromOnePaneToTheOther)
{
    struct {
        int press, pointer, left, right, newLeft, newRight;
    } cases[] = {
        {100, 130, 200, 300, 230, 270},
        {100, 70, 200, 300, 170, 330},
        {100, 100, 200, 300, 200, 300},
    };
    for (const auto& c : cases) {
        const HpanedWidths w = ResizePanes(c.press, c.pointer, c.left, c.right);
        EXPECT_EQ(w.left, c.newLeft);
        EXPECT_EQ(w.right, c.newRight);
    }
}

} // namespace
