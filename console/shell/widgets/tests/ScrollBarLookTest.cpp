#include "ScrollBarLook.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// E enter, L leave, P press, R<n>i / R<n>o release button n inside / outside.
struct ScrollScriptCase {
    const char* script;
    int state;
    bool pressed;
};

TEST(ScrollPointer, SharedStateFollowsEnterLeavePressAndRelease)
{
    const ScrollScriptCase cases[] = {
        {"", kScrollNormal, false},
        {"E", kScrollHover, false},
        {"EL", kScrollNormal, false},
        {"EP", kScrollPressed, true},
        {"EPL", kScrollHover, true},      // dragging out of the bar keeps the hover look
        {"EPLR1o", kScrollNormal, false}, // until a release outside
        {"EPR1i", kScrollHover, false},
        {"EPR3i", kScrollPressed, false}, // a right release clears the flag only
        {"EPR3iL", kScrollNormal, false}, // then leaving shows the normal look
        {"EPR3oE", kScrollHover, false},
    };
    for (const ScrollScriptCase& c : cases) {
        ScrollPointer pointer;
        const std::string script = c.script;
        for (size_t i = 0; i < script.size(); ++i) {
            switch (script[i]) {
            case 'E': pointer.OnEnter(); break;
            case 'L': pointer.OnLeave(); break;
            case 'P': pointer.OnPress(); break;
            case 'R': {
                const unsigned button = static_cast<unsigned>(script[++i] - '0');
                pointer.OnRelease(button, script[++i] == 'i');
                break;
            }
            default: break;
            }
        }
        EXPECT_EQ(pointer.State(), c.state) << c.script;
        EXPECT_EQ(pointer.Pressed(), c.pressed) << c.script;
    }
}

struct GradeCase {
    int type;
    int state;
    size_t lines;
    ScrollLine first;
    ScrollLine last;
};

TEST(ScrollGradeLines, ShadeTheSliderLineByLine)
{
    const ScrollBarBox horizontal{10, 100, 200, 17};
    const ScrollBarBox vertical{300, 20, 17, 150};
    // Slider from 30 to 60 along the bar.
    const GradeCase cases[] = {
        {kScrollHorizontal, kScrollNormal, 16, {40, 101, 70, 101, 0xF0F0F1}, {40, 116, 70, 116, 0x878788}},
        {kScrollHorizontal, kScrollHover, 16, {40, 101, 70, 101, 0xDBEFFA}, {40, 116, 70, 116, 0x72C2EB}},
        {kScrollHorizontal, kScrollPressed, 16, {40, 101, 70, 101, 0xBFE6F8}, {40, 116, 70, 116, 0x56C8E9}},
        {kScrollVertical, kScrollNormal, 16, {301, 50, 301, 80, 0xF0F0F1}, {316, 50, 316, 80, 0x878788}},
        // Hover and pressed reach from the bar's first column to one past its last.
        {kScrollVertical, kScrollHover, 18, {300, 50, 300, 80, 0xDBEFFA}, {317, 50, 317, 80, 0x64BCE9}},
        {kScrollVertical, kScrollPressed, 18, {300, 50, 300, 80, 0xBFE6F8}, {317, 50, 317, 80, 0x48B3E7}},
    };
    for (const GradeCase& c : cases) {
        const ScrollBarBox& bar = c.type == kScrollHorizontal ? horizontal : vertical;
        const std::vector<ScrollLine> lines = ScrollGradeLines(c.type, c.state, bar, 30, 60);
        ASSERT_EQ(lines.size(), c.lines) << c.type << "/" << c.state;
        for (const auto& [got, want] : {std::pair{lines.front(), c.first}, std::pair{lines.back(), c.last}}) {
            EXPECT_EQ(got.x1, want.x1) << c.type << "/" << c.state;
            EXPECT_EQ(got.y1, want.y1) << c.type << "/" << c.state;
            EXPECT_EQ(got.x2, want.x2) << c.type << "/" << c.state;
            EXPECT_EQ(got.y2, want.y2) << c.type << "/" << c.state;
            EXPECT_EQ(got.rgb, want.rgb) << std::hex << c.type << "/" << c.state;
        }
    }
}

TEST(ScrollGradeLines, ChannelsBelowZeroOnWideBarsAreHeldAtZero)
{
    const std::vector<ScrollLine> lines = ScrollGradeLines(kScrollVertical, kScrollNormal, {0, 0, 40, 100}, 0, 10);
    ASSERT_EQ(lines.size(), 39u);
    EXPECT_EQ(lines[34].rgb, 0x020203u); // 240 - 7 * 34
    EXPECT_EQ(lines[35].rgb, 0x000000u); // 240 - 7 * 35 < 0
    EXPECT_EQ(lines[38].rgb, 0x000000u);
}

TEST(ScrollGradeLines, ZeroLengthSliderDrawsZeroLengthLines)
{
    for (const ScrollLine& line : ScrollGradeLines(kScrollHorizontal, kScrollNormal, {0, 0, 100, 17}, 0, 0)) {
        EXPECT_EQ(line.x1, line.x2);
    }
}

TEST(ScrollGripLines, ThreeLinesAroundTheSliderMiddleInTheStatesColour)
{
    const ScrollGrip h = ScrollGripLines(kScrollHorizontal, kScrollNormal, {10, 100, 200, 17}, 30, 61);
    EXPECT_EQ(h.rgb, 0xB0B0B0u);
    // mid = 31 / 2 = 15: x = 10 + 30 + 15 - 3, + 0, + 3; y from 104 to 112.
    const int hx[] = {52, 55, 58};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(h.lines[k].x1, hx[k]);
        EXPECT_EQ(h.lines[k].x2, hx[k]);
        EXPECT_EQ(h.lines[k].y1, 104);
        EXPECT_EQ(h.lines[k].y2, 112);
    }
    const ScrollGrip v = ScrollGripLines(kScrollVertical, kScrollHover, {300, 20, 17, 150}, 30, 60);
    EXPECT_EQ(v.rgb, 0x60A1C1u);
    const int vy[] = {62, 65, 68};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(v.lines[k].y1, vy[k]);
        EXPECT_EQ(v.lines[k].y2, vy[k]);
        EXPECT_EQ(v.lines[k].x1, 304);
        EXPECT_EQ(v.lines[k].x2, 312);
    }
    EXPECT_EQ(ScrollGripLines(kScrollVertical, kScrollPressed, {0, 0, 17, 100}, 0, 10).rgb, 0x5A96B6u);
}

TEST(ScrollArrowPictures, EachEndByOrientationAndState)
{
    struct Case {
        int type;
        int state;
        const char* first;
        const char* last;
        int lastX;
        int lastY;
    };
    const Case cases[] = {
        {kScrollHorizontal, kScrollNormal, "../res/scroll_left_normal.png", "../res/scroll_right_normal.png", 192, 100},
        {kScrollHorizontal, kScrollHover, "../res/scroll_left_active.png", "../res/scroll_right_active.png", 192, 100},
        {kScrollHorizontal, kScrollPressed, "../res/scroll_left_active.png", "../res/scroll_right_active.png", 192, 100},
        {kScrollVertical, kScrollNormal, "../res/scroll_up_normal.png", "../res/scroll_down_normal.png", 10, 182},
        {kScrollVertical, kScrollPressed, "../res/scroll_up_active.png", "../res/scroll_down_active.png", 10, 182},
    };
    for (const Case& c : cases) {
        ScrollArrow first;
        ScrollArrow last;
        ScrollArrowPictures(c.type, c.state, {10, 100, 200, 100}, first, last);
        EXPECT_EQ(first.path, c.first);
        EXPECT_EQ(first.x, 10);
        EXPECT_EQ(first.y, 100);
        EXPECT_EQ(last.path, c.last);
        EXPECT_EQ(last.x, c.lastX);
        EXPECT_EQ(last.y, c.lastY);
    }
}

} // namespace
