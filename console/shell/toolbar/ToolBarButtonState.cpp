#include "ToolBarButtonState.h"

ButtonReaction ToolBarButtonState::OnEnter()
{
    return {sensitive_ ? ButtonPicture::Hover : ButtonPicture::Disable, false};
}

ButtonReaction ToolBarButtonState::OnLeave()
{
    pressed_ = false;
    return {sensitive_ ? ButtonPicture::Normal : ButtonPicture::Disable, false};
}

ButtonReaction ToolBarButtonState::OnPress(unsigned button)
{
    if (!sensitive_)
        return {ButtonPicture::Unchanged, true};
    if (button != kLeftButton)
        return {ButtonPicture::Unchanged, false};
    pressed_ = true;
    return {ButtonPicture::Click, false};
}

ButtonReaction ToolBarButtonState::OnRelease(unsigned button, bool inside)
{
    if (!sensitive_ || button != kLeftButton)
        return {ButtonPicture::Unchanged, true};
    if (!inside) {
        // A release ends the press wherever it happens; a later release inside
        // must not count as the end of this one.
        pressed_ = false;
        return {ButtonPicture::Normal, true};
    }
    const bool completed = pressed_;
    pressed_ = false;
    return {ButtonPicture::Hover, !completed};
}

bool PointerInsideButton(int width, int height, int px, int py)
{
    return px >= 0 && px <= width && py >= 0 && py <= height;
}
