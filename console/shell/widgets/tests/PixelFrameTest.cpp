#include "ButtonHover.h"
#include "CairoPixelPen.h"
#include "DrawPrimitives.h"
#include "ImageCanvas.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace {

using PixelMap = std::map<std::pair<int, int>, uint32_t>;

// Every pixel of the canvas must be either listed with its colour or untouched.
void ExpectExactly(ImageCanvas& canvas, const PixelMap& expected)
{
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            auto it = expected.find({x, y});
            const uint32_t want = it == expected.end() ? ImageCanvas::kBackground : it->second;
            ASSERT_EQ(canvas.Pixel(x, y), want) << "pixel (" << x << ", " << y << ")";
        }
    }
}

void Ring(PixelMap& map, int x0, int y0, int x1, int y1, uint32_t colour)
{
    for (int x = x0; x <= x1; ++x) {
        map[{x, y0}] = colour;
        map[{x, y1}] = colour;
    }
    for (int y = y0; y <= y1; ++y) {
        map[{x0, y}] = colour;
        map[{x1, y}] = colour;
    }
}

TEST(DrawFrame, OuterRingOnTheEdgeAndWhiteRingInside)
{
    ImageCanvas canvas(14, 10);
    CairoPixelPen pen(canvas.Context());
    DrawFrameWith(pen, 2, 1, 10, 8); // covers columns 2..11, rows 1..8

    PixelMap expected;
    Ring(expected, 2, 1, 11, 8, 0x7F9DB9);
    Ring(expected, 3, 2, 10, 7, 0xFFFFFF);
    ExpectExactly(canvas, expected);
}

TEST(DrawFrame, TwoByTwoDrawsOnlyTheOuterSquare)
{
    // The inner rectangle has a negative size: it must draw nothing at all (GDK
    // itself would read it as the whole drawable and paint everything white).
    ImageCanvas canvas(6, 6);
    CairoPixelPen pen(canvas.Context());
    DrawFrameWith(pen, 2, 2, 2, 2);

    PixelMap expected;
    Ring(expected, 2, 2, 3, 3, 0x7F9DB9);
    ExpectExactly(canvas, expected);
}

TEST(DrawXpFrame, RoundedThreeToneFrame)
{
    ImageCanvas canvas(12, 9);
    CairoPixelPen pen(canvas.Context());
    DrawXpFrameWith(pen, 1, 1, 10, 7); // r = 10, b = 7

    const int x = 1, y = 1, r = 10, b = 7;
    PixelMap expected;
    for (int i = x + 3; i <= r - 3; ++i) {
        expected[{i, y}] = 0x003B73;
        expected[{i, b}] = 0x003B73;
    }
    for (int j = y + 3; j <= b - 3; ++j) {
        expected[{x, j}] = 0x003B73;
        expected[{r, j}] = 0x003B73;
    }
    for (int i = x + 2; i <= r - 2; ++i) {
        expected[{i, y + 1}] = 0xE2E2DA;
        expected[{i, b - 1}] = 0xE2E2DA;
    }
    for (int j = y + 2; j <= b - 2; ++j) {
        expected[{x + 1, j}] = 0xE2E2DA;
        expected[{r - 1, j}] = 0xE2E2DA;
    }
    for (auto p : {std::pair{x, y}, {r, y}, {x, b}, {r, b}})
        expected[p] = 0xD6D3C7;
    for (auto p : {std::pair{x + 1, y}, {x, y + 1}, {r - 1, y}, {r, y + 1}, {x, b - 1}, {x + 1, b}, {r, b - 1},
                   {r - 1, b}})
        expected[p] = 0x64839C;
    for (auto p : {std::pair{x, y + 2}, {x + 2, y}, {x + 1, y + 1}, {x, b - 2}, {x + 2, b}, {x + 1, b - 1},
                   {r - 2, y}, {r, y + 2}, {r - 1, y + 1}, {r - 2, b}, {r, b - 2}, {r - 1, b - 1}})
        expected[p] = 0x547CA1;
    ExpectExactly(canvas, expected);
}

TEST(DrawHover, OrangeHighlightInsideAButton)
{
    ImageCanvas canvas(20, 12);
    CairoPixelPen pen(canvas.Context());
    DrawHoverWith(pen, 0, 0, 20, 12);

    struct Probe {
        int x, y;
        uint32_t colour;
    } probes[] = {
        {2, 1, 0xFDD889},  {17, 1, 0xFDD889},  {1, 2, 0xFDD889},  {18, 2, 0xFDD889},
        {1, 3, 0xFBC761},  {2, 8, 0xFBC761},   {18, 8, 0xFBC761}, {17, 3, 0xFBC761},
        {10, 9, 0xFBC761}, {2, 10, 0xE59700},  {17, 10, 0xE59700},
        {0, 0, ImageCanvas::kBackground},      {1, 1, ImageCanvas::kBackground},
        {10, 5, ImageCanvas::kBackground},     {1, 10, ImageCanvas::kBackground},
        {19, 5, ImageCanvas::kBackground},     {10, 11, ImageCanvas::kBackground},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(canvas.Pixel(p.x, p.y), p.colour) << "pixel (" << p.x << ", " << p.y << ")";
}

} // namespace
