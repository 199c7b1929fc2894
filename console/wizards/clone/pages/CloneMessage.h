// The clone pages' message boxes: shown over the wizard's dialog, run, then destroyed.
#pragma once

#include "MessageBoxContents.h"

class ICloneWizard;

DLG_RESULT ShowCloneMessage(ICloneWizard* wizard, const char* title, GTK_MB_ICON_TYPE icon, GTK_MB_TYPE buttons,
                            const char* text);
