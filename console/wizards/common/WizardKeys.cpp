#include "WizardKeys.h"

#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>

#include <cstring>

WizardKeyAction RouteWizardKey(unsigned keyval, bool nextSensitive, bool helpAllowed, WizardFocus focus)
{
    switch (keyval) {
    case GDK_Escape:
        return WizardKeyAction::Quit;
    case GDK_Return:
    case GDK_KP_Enter:
        if (focus == WizardFocus::OtherButton)
            return WizardKeyAction::Pass;
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

WizardFocus WizardFocusOf(GtkWidget* window, GtkWidget* next)
{
    if (window == nullptr || !GTK_IS_WINDOW(window))
        return WizardFocus::Other;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    if (focus == nullptr || !GTK_IS_BUTTON(focus))
        return WizardFocus::Other;
    return focus == next ? WizardFocus::NextButton : WizardFocus::OtherButton;
}
