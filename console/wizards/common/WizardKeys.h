// How a wizard dialog routes keys and the Next button's events. Escape quits through
// the current page (as Cancel does); Return acts as Next only while Next can be
// pressed, and otherwise does nothing at all; F1 opens the help where the page allows it. The Next button acts on a
// mouse press, on the Return key's hardware code, and on the release of the
// mnemonics of the labels it carries ("_Next>", "_Proceed", "_Finish").
#pragma once

#include <gtk/gtk.h>

// Swallow: the key is consumed and nothing happens (Return while Next is insensitive
// must not reach the focused button instead).
enum class WizardKeyAction { Pass, Swallow, Quit, Next, Help };

// What has the keyboard focus: Return on a focused button other than Next is that
// button's (Back goes back, Cancel cancels), so it passes on to it.
enum class WizardFocus { Other, NextButton, OtherButton };

WizardKeyAction RouteWizardKey(unsigned keyval, bool nextSensitive, bool helpAllowed,
                               WizardFocus focus = WizardFocus::Other);

// What has the focus of this window, whose Next button is next.
WizardFocus WizardFocusOf(GtkWidget* window, GtkWidget* next);

enum class NextButtonEvent { ButtonPress, KeyPress, KeyRelease, Other };

// The hardware key code of Return on the console's keyboards.
constexpr unsigned kReturnHardwareCode = 36;

bool NextButtonEventActs(NextButtonEvent kind, unsigned hardwareCode, const char* text);
