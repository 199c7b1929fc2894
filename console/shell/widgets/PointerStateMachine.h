// The three-state pointer model of the console's drawn widgets: 0 normal, 1 hover,
// 2 pressed. The state only chooses what the expose handler paints.
#pragma once

enum PointerState { kPointerNormal = 0, kPointerHover = 1, kPointerPressed = 2 };

// Push buttons take a press of any mouse button and care where the left button is
// released; check and radio buttons take only left presses and any release.
enum class PointerPolicy { PushButton, Toggle };

class PointerStateMachine {
public:
    explicit PointerStateMachine(PointerPolicy policy) : policy_(policy) {}

    void OnEnter() { state_ = kPointerHover; }
    void OnLeave() { state_ = kPointerNormal; }
    void OnPress(unsigned button);
    // inside: the pointer lies in the widget's allocation at release time.
    void OnRelease(unsigned button, bool inside);

    int State() const { return state_; }

private:
    PointerPolicy policy_;
    int state_ = kPointerNormal;
};

// allocation.x <= px <= allocation.x + width (bounds included), likewise for y.
bool PointInsideAllocation(int ax, int ay, int width, int height, int px, int py);
