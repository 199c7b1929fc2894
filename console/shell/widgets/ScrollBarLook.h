// What the console's scroll bars paint over GTK's own drawing, decided without a
// display: the pointer state both bars share, the slider's shading lines, the grip
// and the arrow pictures.
#pragma once

#include <string>
#include <vector>

enum SCROLL_STATE { kScrollNormal = 0, kScrollHover = 1, kScrollPressed = 2 };
enum SCROLLBARTYPE { kScrollVertical = 0, kScrollHorizontal = 1 };

// One state for both bars of a scrolled window. Dragging the slider out of the bar
// keeps the hover look until the button comes up.
class ScrollPointer {
public:
    void OnEnter() { state_ = kScrollHover; }
    void OnLeave() { state_ = pressed_ ? kScrollHover : kScrollNormal; }
    void OnPress() { pressed_ = true; state_ = kScrollPressed; }
    // inside: the pointer lies in the bar's allocation at release time.
    void OnRelease(unsigned button, bool inside);

    int State() const { return state_; }
    bool Pressed() const { return pressed_; }

private:
    int state_ = kScrollNormal;
    bool pressed_ = false;
};

struct ScrollBarBox {
    int x;
    int y;
    int width;
    int height;
};

// One line of one pixel, end points included, colour 0xRRGGBB.
struct ScrollLine {
    int x1;
    int y1;
    int x2;
    int y2;
    unsigned rgb;
};

// The slider's shading: one line per pixel row (horizontal bar) or column (vertical
// bar) across the slider, from its start to its end offset along the bar. Channels
// that fall below zero on wide bars are held at zero.
std::vector<ScrollLine> ScrollGradeLines(int type, int state, const ScrollBarBox& bar, int start, int end);

// The grip: three short lines two pixels wide across the slider's middle.
struct ScrollGrip {
    unsigned rgb;
    // Centre lines of the three strokes, as cairo takes them (x1, y1, x2, y2).
    ScrollLine lines[3];
};
ScrollGrip ScrollGripLines(int type, int state, const ScrollBarBox& bar, int start, int end);

// The arrow pictures at both ends of a bar and where their top-left corners go.
struct ScrollArrow {
    std::string path;
    int x;
    int y;
};
void ScrollArrowPictures(int type, int state, const ScrollBarBox& bar, ScrollArrow& first, ScrollArrow& last);
