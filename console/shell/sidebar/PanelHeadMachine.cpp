#include "PanelHeadMachine.h"

int HeadPictureIndex(int state, bool expanded)
{
    const int column = expanded ? 0 : 1;
    switch (state) {
    case kHeadHeld:
        return 2 + column; // the hover pictures
    case kHeadReleased:
        return 4 + column; // the press pictures
    default:
        return column;
    }
}

HeadReaction PanelHeadMachine::OnButtonPress()
{
    pressed_ = true;
    HeadReaction r;
    r.grabFocus = true;
    r.redraw = true;
    r.state = kHeadHeld;
    return r;
}

HeadReaction PanelHeadMachine::OnButtonRelease(bool pointerOverHead)
{
    HeadReaction r;
    r.redraw = true;
    if (!pointerOverHead && !keyPending_) {
        r.state = kHeadNormal;
        pressed_ = false;
        return r;
    }
    r.fold = true;
    r.state = keyPending_ ? kHeadNormal : kHeadReleased;
    pressed_ = false;
    return r;
}

HeadReaction PanelHeadMachine::OnKeyPress(unsigned keyval)
{
    if (keyPending_)
        return {};
    if (keyval != kEnterKey && keyval != kSpaceKey)
        return {};
    HeadReaction r = OnButtonPress();
    keyPending_ = true;
    r.handled = true;
    return r;
}

HeadReaction PanelHeadMachine::OnKeyRelease()
{
    if (!keyPending_)
        return {};
    HeadReaction r = OnButtonRelease(true);
    keyPending_ = false;
    r.handled = true;
    return r;
}
