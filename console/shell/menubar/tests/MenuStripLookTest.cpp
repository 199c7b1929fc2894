#include "CairoPixelPen.h"
#include "ImageCanvas.h"
#include "MenuStripLook.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kStrip = 0xE6EADB;
const uint32_t kUpShadow[4] = {0xC6CABC, 0xCFD3C5, 0xD8DCCE, 0xE0E7D7};
const uint32_t kBaseLine[4] = {0xE6E9DE, 0xEAEEE0, 0xECF1E2, 0xEEF1E5};

TEST(MenuStripLook, ShadowOnTopBaseLinesBelowAndTheStripBetween)
{
    struct Case {
        bool filled;
        uint32_t inside; // a pixel inside the frame, between the shadows
    };
    const Case cases[] = {{true, kStrip}, {false, ImageCanvas::kBackground}};
    for (const Case& c : cases) {
        // The strip is 40 by 12; the canvas one wider and taller to see what spills.
        ImageCanvas canvas(41, 13);
        CairoPixelPen pen(canvas.Context());
        DrawMenuStripWith(pen, 0, 0, 40, 12, c.filled);
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(canvas.Pixel(0, row), kUpShadow[row]) << row;
            EXPECT_EQ(canvas.Pixel(40, row), kUpShadow[row]) << "shadow lines run to x + w, row " << row;
            EXPECT_EQ(canvas.Pixel(20, 8 + row), kBaseLine[row]) << row;
        }
        EXPECT_EQ(canvas.Pixel(20, 5), c.inside) << c.filled;
        EXPECT_EQ(canvas.Pixel(0, 5), kStrip);
        for (int x : {37, 38, 39})
            EXPECT_EQ(canvas.Pixel(x, 5), kStrip) << "right edge column " << x;
        EXPECT_EQ(canvas.Pixel(39, 12), kStrip) << "the last column's line reaches y + h";
        EXPECT_EQ(canvas.Pixel(20, 12), ImageCanvas::kBackground);
    }
}

TEST(MenuStripLook, SeparatorIsADarkLineOverALightOne)
{
    ImageCanvas canvas(30, 3);
    CairoPixelPen pen(canvas.Context());
    DrawMenuSeparatorWith(pen, 0, 0, 29);
    for (int x : {0, 15, 29}) {
        EXPECT_EQ(canvas.Pixel(x, 0), 0x575757u);
        EXPECT_EQ(canvas.Pixel(x, 1), 0xE8FFA7u);
        EXPECT_EQ(canvas.Pixel(x, 2), ImageCanvas::kBackground);
    }
}

} // namespace
