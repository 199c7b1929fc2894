// The page area of a wizard window: the pages' notebook inside a scroller that is as
// large as the largest page, as long as the window then still fits on the screen; on
// a smaller screen the page area is cut to what is left there and scrolls, so the
// head and the button row always stay on the screen.
#pragma once

#include <gtk/gtk.h>

struct WizardArea {
    int width = 0;
    int height = 0;
};

// What a window may take of a screen: room is left for the window manager's frame
// and panels.
WizardArea UsableScreen(WizardArea screen);

// The size of the page area: the largest page, cut so that the frame around it (the
// window without its page area) plus the page area fits the usable screen.
WizardArea FitPageArea(WizardArea largestPage, WizardArea frame, WizardArea usableScreen);

// Puts the notebook into a scroller painted in the wizard's colour; returns the
// scroller, which takes the notebook's place in the window.
GtkWidget* WrapWizardPages(GtkWidget* notebook, const GdkColor& background);

// Sizes the scroller after the notebook's largest page (see FitPageArea). Called once
// the window is built and again whenever a page has rebuilt itself.
void FitWizardPages(GtkWidget* window, GtkWidget* scroller, GtkWidget* notebook);
