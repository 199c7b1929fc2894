#include "ScrollBarLook.h"

namespace {

constexpr unsigned kScrollLeftButton = 1;
constexpr int kScrollArrowSize = 18;

unsigned ScrollChannel(int value)
{
    if (value < 0)
        return 0;
    return value > 255 ? 255u : static_cast<unsigned>(value);
}

unsigned ScrollRgb(int red, int green, int blue)
{
    return ScrollChannel(red) << 16 | ScrollChannel(green) << 8 | ScrollChannel(blue);
}

unsigned ScrollGradeColour(int type, int state, int i)
{
    switch (state) {
    case kScrollHover:
        return ScrollRgb(219 - 7 * i, 239 - 3 * i, 250 - i);
    case kScrollPressed:
        return ScrollRgb(191 - 7 * i, type == kScrollHorizontal ? 230 - 2 * i : 230 - 3 * i, 248 - i);
    default:
        return ScrollRgb(240 - 7 * i, 240 - 7 * i, 241 - 7 * i);
    }
}

} // namespace

void ScrollPointer::OnRelease(unsigned button, bool inside)
{
    pressed_ = false;
    if (button != kScrollLeftButton)
        return;
    state_ = inside ? kScrollHover : kScrollNormal;
}

std::vector<ScrollLine> ScrollGradeLines(int type, int state, const ScrollBarBox& bar, int start, int end)
{
    std::vector<ScrollLine> lines;
    if (type == kScrollHorizontal) {
        for (int y = bar.y + 1, i = 0; y < bar.y + bar.height; ++y, ++i)
            lines.push_back({bar.x + start, y, bar.x + end, y, ScrollGradeColour(type, state, i)});
        return lines;
    }
    // The vertical bar's hover and pressed shading reach one column further on both sides.
    const bool wide = state != kScrollNormal;
    const int first = wide ? bar.x : bar.x + 1;
    const int last = wide ? bar.x + bar.width : bar.x + bar.width - 1;
    for (int x = first, i = 0; x <= last; ++x, ++i)
        lines.push_back({x, bar.y + start, x, bar.y + end, ScrollGradeColour(type, state, i)});
    return lines;
}

ScrollGrip ScrollGripLines(int type, int state, const ScrollBarBox& bar, int start, int end)
{
    ScrollGrip grip{};
    grip.rgb = state == kScrollHover ? 0x60A1C1u : state == kScrollPressed ? 0x5A96B6u : 0xB0B0B0u;
    const int mid = (end - start) / 2;
    for (int k = 0; k < 3; ++k) {
        const int offset = start + mid + 3 * (k - 1);
        if (type == kScrollHorizontal)
            grip.lines[k] = {bar.x + offset, bar.y + 4, bar.x + offset, bar.y + 12, grip.rgb};
        else
            grip.lines[k] = {bar.x + 4, bar.y + offset, bar.x + 12, bar.y + offset, grip.rgb};
    }
    return grip;
}

void ScrollArrowPictures(int type, int state, const ScrollBarBox& bar, ScrollArrow& first, ScrollArrow& last)
{
    const char* look = state == kScrollNormal ? "normal" : "active";
    const bool horizontal = type == kScrollHorizontal;
    first.path = std::string("../res/scroll_") + (horizontal ? "left_" : "up_") + look + ".png";
    last.path = std::string("../res/scroll_") + (horizontal ? "right_" : "down_") + look + ".png";
    first.x = bar.x;
    first.y = bar.y;
    last.x = horizontal ? bar.x + bar.width - kScrollArrowSize : bar.x;
    last.y = horizontal ? bar.y : bar.y + bar.height - kScrollArrowSize;
}
