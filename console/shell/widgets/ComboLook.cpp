#include "ComboLook.h"

namespace {
constexpr unsigned kComboWhite = 0xFFFFFF;
constexpr unsigned kComboInsensitiveFill = 0xECE9D8;
constexpr unsigned kComboSelection = 0x316AC5;
constexpr unsigned kComboInsensitiveText = 0xACA899;
constexpr int kComboArrowSize = 16;
constexpr int kComboArrowFromRight = 18;
} // namespace

ComboLook ComboLookFor(const ComboRect& a, bool sensitive, bool focused, int state)
{
    ComboLook look{};
    look.fill = {a.x + 1, a.y + 1, a.width - 2, a.height - 2};
    look.fillRgb = sensitive ? kComboWhite : kComboInsensitiveFill;
    look.focusBand = focused;
    look.focusRect = {a.x + 3, a.y + 3, a.width - 25, a.height - 6};
    look.band = {a.x + 4, a.y + 4, a.width - 26, a.height - 8};
    look.bandRgb = kComboSelection;
    look.textRgb = focused ? kComboWhite : 0x000000;
    if (!sensitive)
        look.textRgb = kComboInsensitiveText;
    look.textX = a.x + 5;
    look.textY = a.y + 16;
    look.arrowPath = state == kComboHover ? "../res/CBbtn_hover.png" : "../res/CBbtn_normal.png";
    look.arrowX = a.x + a.width - kComboArrowFromRight;
    look.arrowY = a.y + (a.height - kComboArrowSize) / 2;
    return look;
}
