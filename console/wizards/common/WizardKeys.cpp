#include "WizardKeys.h"

#include <gdk/gdkkeysyms.h>

#include <cstring>

WizardKeyAction RouteWizardKey(unsigned keyval, bool nextSensitive, bool helpAllowed)
{
    switch (keyval) {
    case GDK_Escape:
        return WizardKeyAction::Quit;
    case GDK_Return:
    case GDK_KP_Enter:
        return nextSensitive ? WizardKeyAction::Next : WizardKeyAction::Swallow;
    case GDK_F1:
        return helpAllowed ? WizardKeyAction::Help : WizardKeyAction::Pass;
    default:
        return WizardKeyAction::Pass;
    }
}

bool NextButtonEventActs(NextButtonEvent kind, unsigned hardwareCode, const char* text)
{
    switch (kind) {
    case NextButtonEvent::ButtonPress:
        return true;
    case NextButtonEvent::KeyPress:
        return hardwareCode == kReturnHardwareCode;
    case NextButtonEvent::KeyRelease:
        if (text == nullptr || text[0] == '\0' || text[1] != '\0')
            return false;
        return std::strchr("nNpPfF", text[0]) != nullptr;
    default:
        return false;
    }
}
