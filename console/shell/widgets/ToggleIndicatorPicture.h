// Which picture a check or radio button paints in place of GTK's indicator.
#pragma once

enum class ToggleKind { Check, Radio };

// state: 0 normal, 1 hover, 2 pressed; any other value is painted as normal.
const char* ToggleIndicatorPicture(ToggleKind kind, bool active, int state);
