#include "DrawPrimitives.h"
#include "GradientStep.h"
#include "ImageCanvas.h"

#include <gtest/gtest.h>

namespace {

uint32_t Pack(GradientRgb c)
{
    return static_cast<uint32_t>(c.red << 16 | c.green << 8 | c.blue);
}

TEST(GradientStep, BlendsEachByteAndHonoursTheByteOrder)
{
    EXPECT_EQ(Pack(GradientStepColor(0xFFFFFF, 0x28468C, 0, false)), 0xFFFFFFu);
    // (255·2 + 0x28·30) >> 5 = 53, (255·2 + 0x46·30) >> 5 = 81, (255·2 + 0x8C·30) >> 5 = 147
    EXPECT_EQ(Pack(GradientStepColor(0xFFFFFF, 0x28468C, 30, false)), 0x355193u);
    EXPECT_EQ(Pack(GradientStepColor(0x0000FF, 0x0000FF, 7, false)), 0x0000FFu);
    EXPECT_EQ(Pack(GradientStepColor(0x0000FF, 0x0000FF, 7, true)), 0xFF0000u);
}

TEST(SetGradientColor, HorizontalBandsRunFromRightToLeft)
{
    ImageCanvas canvas(66, 6);
    SetGradientColor(canvas.Context(), 1, 1, 65, 5, 0xFFFFFF, 0x28468C, false, false, 0, 0);
    // Width 64: step i covers 62 - 2i columns from x = 1.
    EXPECT_EQ(canvas.Pixel(1, 1), 0x355193u);   // step 30 at the left end
    EXPECT_EQ(canvas.Pixel(2, 4), 0x355193u);
    EXPECT_EQ(canvas.Pixel(62, 1), 0xFFFFFFu);  // step 0 next to the right end
    EXPECT_EQ(canvas.Pixel(63, 1), ImageCanvas::kBackground); // right-most 64 >> 5 columns unpainted
    EXPECT_EQ(canvas.Pixel(64, 1), ImageCanvas::kBackground);
    EXPECT_EQ(canvas.Pixel(0, 1), ImageCanvas::kBackground);
    EXPECT_EQ(canvas.Pixel(10, 5), ImageCanvas::kBackground);
    EXPECT_EQ(canvas.Pixel(10, 0), ImageCanvas::kBackground);
}

TEST(SetGradientColor, VerticalPutsTheFromColourAtTheBottom)
{
    ImageCanvas canvas(4, 64);
    SetGradientColor(canvas.Context(), 0, 0, 4, 64, 0x0000FF, 0xFF0000, true, false, 0, 0);
    EXPECT_EQ(canvas.Pixel(0, 63), 0x0000FFu);
    EXPECT_EQ(canvas.Pixel(3, 62), 0x0000FFu);
    EXPECT_EQ(canvas.Pixel(0, 0), Pack(GradientStepColor(0x0000FF, 0xFF0000, 31, false)));
    EXPECT_EQ(canvas.Pixel(0, 1), Pack(GradientStepColor(0x0000FF, 0xFF0000, 31, false)));
}

TEST(SetGradientColor, EqualColoursPaintAPlainBandThatStaysInItsRectangle)
{
    for (bool vertical : {false, true}) {
        ImageCanvas canvas(20, 12);
        SetGradientColor(canvas.Context(), 2, 3, 12, 9, 0x336699, 0x336699, vertical, false, 0, 0);
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 20; ++x) {
                const bool inside = x >= 2 && x < 12 && y >= 3 && y < 9;
                if (!inside)
                    ASSERT_EQ(canvas.Pixel(x, y), ImageCanvas::kBackground) << x << "," << y;
                else
                    ASSERT_EQ(canvas.Pixel(x, y), 0x336699u) << x << "," << y << " vertical " << vertical;
            }
        }
    }
}

} // namespace
