#include "PointerStateMachine.h"

namespace {
constexpr unsigned kLeftButton = 1;
}

void PointerStateMachine::OnPress(unsigned button)
{
    if (policy_ == PointerPolicy::Toggle && button != kLeftButton)
        return;
    state_ = kPointerPressed;
}

void PointerStateMachine::OnRelease(unsigned button, bool inside)
{
    if (policy_ == PointerPolicy::Toggle) {
        state_ = kPointerHover;
        return;
    }
    if (button != kLeftButton)
        return;
    state_ = inside ? kPointerHover : kPointerNormal;
}

bool PointInsideAllocation(int ax, int ay, int width, int height, int px, int py)
{
    return ax <= px && px <= ax + width && ay <= py && py <= ay + height;
}
