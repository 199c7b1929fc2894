#include "ToggleIndicatorPicture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ToggleIndicatorPicture, OnePicturePerKindActiveFlagAndState)
{
    struct {
        ToggleKind kind;
        bool active;
        int state;
        const char* picture;
    } cases[] = {
        {ToggleKind::Check, false, 0, "../res/check_normal.png"},
        {ToggleKind::Check, false, 1, "../res/check_hover.png"},
        {ToggleKind::Check, false, 2, "../res/check_press.png"},
        {ToggleKind::Check, true, 0, "../res/check_checked_normal.png"},
        {ToggleKind::Check, true, 1, "../res/check_checked_hover.png"},
        {ToggleKind::Check, true, 2, "../res/check_checked_press.png"},
        {ToggleKind::Radio, false, 0, "../res/radio_normal.png"},
        {ToggleKind::Radio, false, 1, "../res/radio_hover.png"},
        {ToggleKind::Radio, false, 2, "../res/radio_press.png"},
        {ToggleKind::Radio, true, 0, "../res/radio_checked_normal.png"},
        {ToggleKind::Radio, true, 1, "../res/radio_checked_hover.png"},
        {ToggleKind::Radio, true, 2, "../res/radio_checked_press.png"},
        {ToggleKind::Radio, true, 7, "../res/radio_checked_normal.png"},
        {ToggleKind::Check, false, -1, "../res/check_normal.png"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string(ToggleIndicatorPicture(c.kind, c.active, c.state)), c.picture);
}

} // namespace
