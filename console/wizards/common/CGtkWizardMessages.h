// Wizard messages as the console's message box over a window.
#pragma once

#include <gtk/gtk.h>

#include <functional>

#include "IWizardMessages.h"

class CGtkWizardMessages : public IWizardMessages {
public:
    // parent: the window at the moment of the message (the wizard's dialog).
    explicit CGtkWizardMessages(std::function<GtkWidget*()> parent) : parent_(std::move(parent)) {}
    int Show(const std::string& title, int icon, int buttons, const std::string& text) override;

private:
    std::function<GtkWidget*()> parent_;
};
