#include "PanelHeadMachine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HeadPictureIndex, StateAndFoldChooseOneOfSix)
{
    struct Case {
        int state;
        bool expanded;
        int index;
    };
    const Case cases[] = {{kHeadNormal, true, 0},   {kHeadNormal, false, 1},   {kHeadHeld, true, 2},
                          {kHeadHeld, false, 3},    {kHeadReleased, true, 4},  {kHeadReleased, false, 5}};
    for (const Case& c : cases)
        EXPECT_EQ(HeadPictureIndex(c.state, c.expanded), c.index) << c.state << " " << c.expanded;
}

// Steps: P press, Ri / Ro release over / off the head, E enter key down, S space
// down, X another key down, U key up. The result of the last step is checked.
struct HeadCase {
    const char* script;
    bool handled;
    bool fold;
    int state;
    bool held;
    bool keyPending;
};

TEST(PanelHeadMachine, PressesReleasesAndKeys)
{
    const HeadCase cases[] = {
        {"P", false, false, kHeadHeld, true, false},
        {"PRi", false, true, kHeadReleased, false, false},
        {"PRo", false, false, kHeadNormal, false, false}, // released off the head: no fold
        {"E", true, false, kHeadHeld, true, true},
        {"S", true, false, kHeadHeld, true, true},
        {"X", false, false, kHeadNormal, false, false},
        {"EE", false, false, kHeadNormal, true, true},    // repeats are ignored while a key is pending
        {"EU", true, true, kHeadNormal, false, false},    // the key's release folds
        {"ERo", false, true, kHeadNormal, false, true},   // a release while a key is pending folds anywhere
        {"U", false, false, kHeadNormal, false, false},   // a key up with none pending
        {"EUU", false, false, kHeadNormal, false, false},
    };
    for (const HeadCase& c : cases) {
        PanelHeadMachine machine;
        HeadReaction last;
        const std::string script = c.script;
        for (size_t i = 0; i < script.size(); ++i) {
            switch (script[i]) {
            case 'P': last = machine.OnButtonPress(); break;
            case 'R': last = machine.OnButtonRelease(script[++i] == 'i'); break;
            case 'E': last = machine.OnKeyPress(PanelHeadMachine::kEnterKey); break;
            case 'S': last = machine.OnKeyPress(PanelHeadMachine::kSpaceKey); break;
            case 'X': last = machine.OnKeyPress('a'); break;
            case 'U': last = machine.OnKeyRelease(); break;
            default: break;
            }
        }
        EXPECT_EQ(last.handled, c.handled) << c.script;
        EXPECT_EQ(last.fold, c.fold) << c.script;
        EXPECT_EQ(last.state, c.state) << c.script;
        EXPECT_EQ(machine.Held(), c.held) << c.script;
        EXPECT_EQ(machine.KeyPending(), c.keyPending) << c.script;
    }
}

} // namespace
