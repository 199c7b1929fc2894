// The pages' message boxes: the console's message box over the wizard's dialog.
#pragma once

#include "PageMessage.h"

PageMessage ConsoleMessage(GtkWidget* parent);
