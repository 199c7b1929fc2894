// Which picture a side-bar row shows: disabled, else pressed, else hover while the
// pointer is over it, else normal. Rows without their normal, hover and disabled
// pictures paint nothing.
#pragma once

#include <string>

struct ItemPictures {
    std::string normal;
    std::string hover;
    std::string disabled;
    std::string pressed;
};

// Null when nothing is painted.
const std::string* ItemPictureFor(const ItemPictures& pictures, bool disabled, bool pressed, bool hovering);
