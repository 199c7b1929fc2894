// An optional second view of a move/resize edit, given the manager's whole state.
#pragma once

#include "layout/MoveResizeManagerParam.h"

class IAllDiskPanel {
public:
    virtual ~IAllDiskPanel() {}
    virtual void UpdatePanel(const MOVERESIZE_MANAGER_PARAM& param) = 0;
};
