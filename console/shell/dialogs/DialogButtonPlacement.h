// Where a dialog places its action buttons, from the number of buttons, the
// right-edge flag, the requested width and the allocated width w. The vertical
// position is left to the toolkit.
#pragma once

#include <vector>

struct DialogButtonPosition {
    enum Target { ActionButton, DefaultButton };
    Target target;
    int index; // action button index for ActionButton
    int x;
};

std::vector<DialogButtonPosition> PlaceDialogButtons(int buttonCount, bool rightEdge, int requestedWidth,
                                                     int allocatedWidth);
