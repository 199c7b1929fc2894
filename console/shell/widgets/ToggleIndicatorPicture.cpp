#include "ToggleIndicatorPicture.h"

namespace {

// [kind][active][state]
const char* const kPictures[2][2][3] = {
    {
        {"../res/check_normal.png", "../res/check_hover.png", "../res/check_press.png"},
        {"../res/check_checked_normal.png", "../res/check_checked_hover.png", "../res/check_checked_press.png"},
    },
    {
        {"../res/radio_normal.png", "../res/radio_hover.png", "../res/radio_press.png"},
        {"../res/radio_checked_normal.png", "../res/radio_checked_hover.png", "../res/radio_checked_press.png"},
    },
};

} // namespace

const char* ToggleIndicatorPicture(ToggleKind kind, bool active, int state)
{
    if (state < 0 || state > 2)
        state = 0;
    return kPictures[kind == ToggleKind::Radio ? 1 : 0][active ? 1 : 0][state];
}
