// The view of a move/resize edit: the edit page implements it.
#pragma once

#include "layout/MoveResizeDlgInfo.h"

class IMoveResizeDlg {
public:
    virtual ~IMoveResizeDlg() {}
    // The new edit; redraw the drag block, set the spin buttons.
    virtual void UpdateDlg(const MOVERESIZ_DLG_INFO& info, bool redraw, bool setSpins) = 0;
    virtual void PromptNotEnoughSpace() = 0;
};
