#include "ItemPicture.h"

const std::string* ItemPictureFor(const ItemPictures& p, bool disabled, bool pressed, bool hovering)
{
    if (p.normal.empty() || p.hover.empty() || p.disabled.empty())
        return nullptr;
    if (disabled)
        return &p.disabled;
    if (pressed)
        return &p.pressed;
    if (hovering)
        return &p.hover;
    return &p.normal;
}
