// What a tool-bar picture button does with each pointer event: which picture it
// shows and whether it stops the event there. A true stop keeps the owner's
// release handler (connected after the button's own) from running, so the owner
// hears only of completed clicks: press and release of the left button on a
// sensitive button without the pointer leaving it in between.
#pragma once

enum class ButtonPicture { Unchanged, Normal, Hover, Click, Disable };

struct ButtonReaction {
    ButtonPicture picture;
    bool stop; // the handler's result: TRUE ends the emission
    bool operator==(const ButtonReaction& o) const { return picture == o.picture && stop == o.stop; }
};

class ToolBarButtonState {
public:
    static constexpr unsigned kLeftButton = 1;

    void SetSensitive(bool sensitive) { sensitive_ = sensitive; }
    bool Sensitive() const { return sensitive_; }
    bool Pressed() const { return pressed_; }

    ButtonReaction OnEnter();
    ButtonReaction OnLeave();
    ButtonReaction OnPress(unsigned button);
    // inside: the pointer lies within the button at release time.
    ButtonReaction OnRelease(unsigned button, bool inside);

private:
    bool sensitive_ = true;
    bool pressed_ = false;
};

// 0 <= px <= width and 0 <= py <= height, in the button window's own coordinates.
bool PointerInsideButton(int width, int height, int px, int py);
