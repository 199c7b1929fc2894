#include <gtest/gtest.h>

#include <gdk/gdkkeysyms.h>

#include "WizardKeys.h"

TEST(WizardKeysTest, KeysRouteByWhatThePageAllows)
{
    struct Case {
        unsigned key;
        bool nextSensitive;
        bool helpAllowed;
        WizardKeyAction expected;
    };
    const Case cases[] = {
        {GDK_Escape, false, false, WizardKeyAction::Quit},
        {GDK_Escape, true, true, WizardKeyAction::Quit},
        {GDK_Return, true, true, WizardKeyAction::Next},
        {GDK_Return, false, true, WizardKeyAction::Swallow}, // Next insensitive: nothing, not even the focused button
        {GDK_KP_Enter, true, false, WizardKeyAction::Next},
        {GDK_F1, true, true, WizardKeyAction::Help},
        {GDK_F1, true, false, WizardKeyAction::Pass},     // the progress page
        {'n', true, true, WizardKeyAction::Pass},
        {GDK_Tab, true, true, WizardKeyAction::Pass},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RouteWizardKey(c.key, c.nextSensitive, c.helpAllowed), c.expected) << c.key;
}

TEST(WizardKeysTest, ReturnOnAFocusedButtonOtherThanNextIsThatButtons)
{
    struct Case {
        WizardFocus focus;
        bool nextSensitive;
        WizardKeyAction expected;
    };
    const Case cases[] = {
        {WizardFocus::OtherButton, true, WizardKeyAction::Pass}, // Back goes back, Cancel cancels
        {WizardFocus::OtherButton, false, WizardKeyAction::Pass},
        {WizardFocus::NextButton, true, WizardKeyAction::Next},
        {WizardFocus::NextButton, false, WizardKeyAction::Swallow},
        {WizardFocus::Other, true, WizardKeyAction::Next}, // a list or an entry: Return goes on
    };
    for (const Case& c : cases)
        EXPECT_EQ(RouteWizardKey(GDK_Return, c.nextSensitive, true, c.focus), c.expected) << int(c.focus);
}

TEST(WizardKeysTest, NextButtonActsOnPressReturnAndTheMnemonicsOfItsLabels)
{
    struct Case {
        NextButtonEvent kind;
        unsigned code;
        const char* text;
        bool acts;
    };
    const Case cases[] = {
        {NextButtonEvent::ButtonPress, 0, nullptr, true},
        {NextButtonEvent::KeyPress, kReturnHardwareCode, "\r", true},
        {NextButtonEvent::KeyPress, 57, "n", false},
        {NextButtonEvent::KeyRelease, 57, "n", true},
        {NextButtonEvent::KeyRelease, 33, "P", true}, // "_Proceed" even while the label reads "_Next>"
        {NextButtonEvent::KeyRelease, 41, "f", true},
        {NextButtonEvent::KeyRelease, 56, "b", false},
        {NextButtonEvent::KeyRelease, 57, "nn", false},
        {NextButtonEvent::KeyRelease, 57, "", false},
        {NextButtonEvent::KeyRelease, 57, nullptr, false},
        {NextButtonEvent::Other, kReturnHardwareCode, "n", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextButtonEventActs(c.kind, c.code, c.text), c.acts) << (c.text ? c.text : "(null)");
}
