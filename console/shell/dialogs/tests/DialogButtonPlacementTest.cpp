#include "DialogButtonPlacement.h"

#include <gtest/gtest.h>

#include <vector>

// Found by argument-dependent lookup from the comparisons below.
bool operator==(const DialogButtonPosition& a, const DialogButtonPosition& b)
{
    return a.target == b.target && a.index == b.index && a.x == b.x;
}

void PrintTo(const DialogButtonPosition& p, std::ostream* os)
{
    *os << (p.target == DialogButtonPosition::DefaultButton ? "default" : "action ") << p.index << " at " << p.x;
}

namespace {

using P = DialogButtonPosition;

TEST(DialogButtonPlacement, PositionsByButtonCountAndWidth)
{
    struct {
        int count;
        bool rightEdge;
        int requested;
        int allocated;
        std::vector<P> expected;
    } cases[] = {
        {1, false, 400, 400, {{P::ActionButton, 0, 157}}},
        {1, true, 400, 400, {{P::DefaultButton, 0, 300}}},
        {2, false, 400, 402, {{P::ActionButton, 0, 57}, {P::ActionButton, 1, 257}}},
        {3, false, 320, 320, {{P::ActionButton, 0, 1}, {P::ActionButton, 1, 117}, {P::ActionButton, 2, 233}}},
        {3, false, 319, 319, {{P::ActionButton, 0, 11}, {P::ActionButton, 1, 115}, {P::ActionButton, 2, 215}}},
        {3, false, 300, 300, {{P::ActionButton, 0, 11}, {P::ActionButton, 1, 106}, {P::ActionButton, 2, 206}}},
        // The requested width decides the layout, the allocated one the arithmetic.
        {3, false, -1, 500, {{P::ActionButton, 0, 11}, {P::ActionButton, 1, 206}, {P::ActionButton, 2, 306}}},
        {0, false, 400, 400, {}},
        {0, true, 400, 400, {}},
        {4, false, 400, 400, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceDialogButtons(c.count, c.rightEdge, c.requested, c.allocated), c.expected)
            << c.count << " buttons, requested " << c.requested;
}

} // namespace
