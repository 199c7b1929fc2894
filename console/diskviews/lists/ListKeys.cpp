#include "ListKeys.h"

#include <gdk/gdkkeysyms.h>

bool ListKeyReachesTree(unsigned keyval)
{
    return keyval == GDK_Up || keyval == GDK_Down || keyval == GDK_Tab || keyval == GDK_space;
}

bool ListKeyIsSpace(unsigned keyval)
{
    return keyval == GDK_space;
}
