// The panel head's reaction to the pointer and the keyboard: which picture it shows,
// whether it is held, and when a release folds the panel. Enter or space act as a
// press; their release folds wherever the pointer is.
#pragma once

// The head's picture state.
enum MouseAction { kHeadNormal = 0, kHeadReleased = 1, kHeadHeld = 2 };

// Index into the six head pictures: expanded normal, collapsed normal, expanded
// hover, collapsed hover, expanded press, collapsed press.
int HeadPictureIndex(int state, bool expanded);

struct HeadReaction {
    bool handled = false;  // the event's return value
    bool fold = false;     // start a fold (when none runs)
    bool redraw = false;   // paint the picture of `state`
    int state = kHeadNormal;
    bool grabFocus = false;
};

class PanelHeadMachine {
public:
    HeadReaction OnButtonPress();
    HeadReaction OnButtonRelease(bool pointerOverHead);
    HeadReaction OnKeyPress(unsigned keyval);
    HeadReaction OnKeyRelease();
    // True when a leave should change nothing (the head is held).
    bool Held() const { return pressed_; }
    bool KeyPending() const { return keyPending_; }

    static constexpr unsigned kEnterKey = 0xFF0D;
    static constexpr unsigned kSpaceKey = 0x20;

private:
    bool pressed_ = false;
    bool keyPending_ = false;
};
