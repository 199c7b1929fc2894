#include "DialogButtonPlacement.h"

namespace {
// Above this requested width three buttons gather around the centre.
constexpr int kNarrowDialogWidth = 319;
} // namespace

std::vector<DialogButtonPosition> PlaceDialogButtons(int buttonCount, bool rightEdge, int requestedWidth,
                                                     int allocatedWidth)
{
    const int w = allocatedWidth;
    using P = DialogButtonPosition;
    switch (buttonCount) {
    case 1:
        if (rightEdge)
            return {{P::DefaultButton, 0, w - 100}};
        return {{P::ActionButton, 0, w / 2 - 43}};
    case 2:
        return {{P::ActionButton, 0, w / 4 - 43}, {P::ActionButton, 1, 3 * (w / 4) - 43}};
    case 3:
        if (requestedWidth > kNarrowDialogWidth)
            return {{P::ActionButton, 0, w / 2 - 159}, {P::ActionButton, 1, w / 2 - 43}, {P::ActionButton, 2, w / 2 + 73}};
        return {{P::ActionButton, 0, 11}, {P::ActionButton, 1, w / 2 - 44}, {P::ActionButton, 2, w / 2 + 56}};
    default:
        return {};
    }
}
