// The side bar's colours (16-bit GDK channels).
#pragma once

#include <gdk/gdk.h>

inline GdkColor PanelGreen()
{
    return {0, 0x5AA5, 0x7A85, 0x1CE3};
}

inline GdkColor SideBarStripColour()
{
    return {0, 0x0001, 0x0001, 0x0001};
}
