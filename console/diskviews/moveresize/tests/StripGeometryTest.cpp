#include <gtest/gtest.h>

#include <cmath>

#include "StripGeometry.h"

namespace {
TEST(StripGeometryTest, PixelSizeIsNeverZero)
{
    const double sizes[][3] = {{0, 0.5, 0.2}, {0, 0, 0}, {10, 100, 480}};
    for (auto& s : sizes) {
        const double pixel = StripPixelSize(s[0], s[1], s[2]);
        EXPECT_GT(pixel, 0) << s[1];
        EXPECT_TRUE(std::isfinite(s[1] / pixel));
    }
    EXPECT_DOUBLE_EQ(590.0 / 590, StripPixelSize(10, 100, 480));
}

TEST(StripGeometryTest, WidthsKeepBarsAndUsedRectangleVisible)
{
    struct Case { double before, size, after; };
    const Case cases[] = {{0, 100, 0}, {10, 100, 50}, {1000, 0.01, 1000}, {0.001, 50, 0.001}};
    for (const Case& c : cases) {
        const StripWidths w = StripWidthsFor(c.before, c.size, c.after, 12);
        EXPECT_EQ(590 - 12, w.leftFree + w.main + w.rightFree) << c.size;
        EXPECT_GE(w.main, 12) << c.size;
        EXPECT_EQ(c.before > 0, w.leftFree >= 3);
        EXPECT_EQ(c.after > 0, w.rightFree >= 3);
    }
}

TEST(StripGeometryTest, DragStepsStayInsideTheFreeSpace)
{
    StripWidths w;
    w.leftFree = 100; w.main = 300; w.rightFree = 178;
    MiddleStep middle;
    ASSERT_TRUE(MiddleDragStep(w, 40, 1.0, 578, 300, middle));
    EXPECT_EQ(140, middle.widths.leftFree);
    EXPECT_DOUBLE_EQ(140.0, middle.newBefore);
    ASSERT_TRUE(MiddleDragStep(w, 500, 1.0, 578, 300, middle));
    EXPECT_TRUE(middle.toEnd);
    EXPECT_EQ(1, middle.widths.rightFree);
    EXPECT_DOUBLE_EQ(278.0, middle.newBefore);
    StripWidths full = w;
    full.rightFree = 0;
    EXPECT_FALSE(MiddleDragStep(full, 20, 1.0, 578, 300, middle));  // nothing free on the right
    EXPECT_FALSE(MiddleDragStep(w, 0, 1.0, 578, 300, middle));

    BarStep bar;
    ASSERT_TRUE(BarDragStep(w, true, -50, 1.0, 300, 280, 12, bar));
    EXPECT_FALSE(bar.grow);
    EXPECT_DOUBLE_EQ(280.0, bar.newSize);  // never below the smallest size
    EXPECT_EQ(228, bar.widths.rightFree);
    ASSERT_TRUE(BarDragStep(w, false, -30, 1.0, 300, 0, 12, bar));
    EXPECT_TRUE(bar.grow);
    EXPECT_EQ(70, bar.widths.leftFree);
    EXPECT_EQ(330, bar.widths.main);
    EXPECT_FALSE(BarDragStep(full, true, 20, 1.0, 300, 0, 12, bar));
}
TEST(StripGeometryTest, DiskViewWidthsFollowTheScale)
{
    struct Case {
        const char* what;
        double before, size, after, pixel;
        int panel;
        int left, main, right;
    };
    const Case cases[] = {
        {"plain shares", 100, 300, 50, 1.0, 0, 100, 300, 50},
        {"truncated", 10.9, 30.9, 9.9, 2.0, 0, 5, 15, 4},
        {"a gap of 1 MB stays visible before", 1, 300, 0, 2.0, 0, 3, 150, 0},
        {"an after gap above 1 MB stays visible", 0, 300, 1.5, 2.0, 0, 0, 150, 3},
        {"an after gap of exactly 1 MB may vanish", 0, 300, 1, 2.0, 0, 0, 150, 0},
        {"the before rule comes first", 1, 300, 1.5, 2.0, 0, 3, 150, 0},
        {"a free block filling the row leaves room", 1000, 100, 0, 1.0, 600, 480, 100, 0},
        {"no scale draws nothing", 100, 300, 50, 0.0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const StripWidths w = DiskViewWidthsFor(c.before, c.size, c.after, c.pixel, c.panel);
        EXPECT_EQ(c.left, w.leftFree) << c.what;
        EXPECT_EQ(c.main, w.main) << c.what;
        EXPECT_EQ(c.right, w.rightFree) << c.what;
    }
}
}  // namespace
