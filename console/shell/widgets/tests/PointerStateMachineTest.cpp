#include "PointerStateMachine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A sequence of events in a small script: E enter, L leave, P<n> press button n,
// R<n>i / R<n>o release button n inside / outside.
int RunScript(PointerPolicy policy, const std::string& script)
{
    PointerStateMachine machine(policy);
    for (size_t i = 0; i < script.size(); ++i) {
        switch (script[i]) {
        case 'E': machine.OnEnter(); break;
        case 'L': machine.OnLeave(); break;
        case 'P': machine.OnPress(static_cast<unsigned>(script[++i] - '0')); break;
        case 'R': {
            const unsigned button = static_cast<unsigned>(script[++i] - '0');
            machine.OnRelease(button, script[++i] == 'i');
            break;
        }
        default: break;
        }
    }
    return machine.State();
}

struct Case {
    PointerPolicy policy;
    const char* script;
    int state;
};

TEST(PointerStateMachine, FollowsTheKitsPointerModel)
{
    const Case cases[] = {
        {PointerPolicy::PushButton, "", 0},
        {PointerPolicy::PushButton, "E", 1},
        {PointerPolicy::PushButton, "EL", 0},
        {PointerPolicy::PushButton, "EP1", 2},
        {PointerPolicy::PushButton, "EP1R1i", 1},
        {PointerPolicy::PushButton, "EP1LR1o", 0},  // pressed, moved out, released outside
        {PointerPolicy::PushButton, "EP3", 2},      // any button presses
        {PointerPolicy::PushButton, "EP3R3i", 2},   // a right release changes nothing
        {PointerPolicy::PushButton, "EP3R3iLE", 1}, // until the pointer leaves and enters again
        {PointerPolicy::PushButton, "EP2R1o", 0},
        {PointerPolicy::Toggle, "EP1", 2},
        {PointerPolicy::Toggle, "EP3", 1},          // only the left button presses
        {PointerPolicy::Toggle, "EP1R1i", 1},
        {PointerPolicy::Toggle, "EP1LR1o", 1},      // any release means hover, even outside
        {PointerPolicy::Toggle, "EP1LR1oL", 0},
        {PointerPolicy::Toggle, "R3o", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunScript(c.policy, c.script), c.state)
            << (c.policy == PointerPolicy::PushButton ? "push " : "toggle ") << c.script;
}

TEST(PointInsideAllocation, BoundsAreIncluded)
{
    struct {
        int px, py;
        bool inside;
    } cases[] = {
        {10, 20, true}, {78, 44, true}, {40, 30, true}, {9, 30, false},
        {79, 30, false}, {40, 19, false}, {40, 45, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PointInsideAllocation(10, 20, 68, 24, c.px, c.py), c.inside) << c.px << "," << c.py;
}

} // namespace
