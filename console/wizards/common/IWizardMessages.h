// The message boxes a wizard page shows. Page logic reports through this interface;
// the console shows the one message box over the wizard's window, tests record.
#pragma once

#include <string>

class IWizardMessages {
public:
    virtual ~IWizardMessages() = default;
    // icon and buttons as the console's message box numbers them (icon 1 warning,
    // 3 error; buttons 0 OK, 1 Yes/No). Returns the box's result.
    virtual int Show(const std::string& title, int icon, int buttons, const std::string& text) = 0;
};
