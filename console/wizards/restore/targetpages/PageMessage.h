// How a page's logic asks the user: a message box over the wizard's dialog with a
// title, an icon and a set of buttons (values of the console's message box), whose
// answer comes back (0 for OK or Yes). The views give the console's message box;
// tests give a scripted answer.
#pragma once

#include <functional>

typedef struct _GtkWidget GtkWidget;

using PageMessage = std::function<int(const char* title, int icon, int buttons, const char* text)>;
