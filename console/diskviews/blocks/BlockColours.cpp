#include "BlockColours.h"

bool BlockShadesOf(bool wholeDisk, bool unallocated, int kind, BlockShades& shades)
{
    if (wholeDisk) {
        shades = {{255, 255, 80}, {255, 255, 80}};
        return true;
    }
    if (unallocated) {
        shades = {{180, 180, 180}, {180, 180, 180}};
        return true;
    }
    switch (kind) {
    case 0:
    case 1:
        shades = {{64, 187, 62}, {2, 153, 0}};
        return true;
    case 2:
        shades = {{80, 165, 235}, {0, 123, 225}};
        return true;
    case 3:
        shades = {{157, 73, 220}, {115, 0, 203}};
        return true;
    case 4:
    case 5:
    case 8:
    case 9:
    case 10:
        shades = {{60, 60, 60}, {0, 0, 0}};
        return true;
    case 7:
        shades = {{179, 179, 54}, {127, 127, 0}};
        return true;
    default:
        return false;
    }
}
