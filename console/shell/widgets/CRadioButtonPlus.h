// The console's radio button: GTK's radio button with the console's indicator pictures.
#pragma once

#include "ToggleButtonLook.h"

#include <gtk/gtk.h>

class CRadioButtonPlus {
public:
    CRadioButtonPlus() = default;
    CRadioButtonPlus(const CRadioButtonPlus&) = delete;
    CRadioButtonPlus& operator=(const CRadioButtonPlus&) = delete;

    // A null group starts a new one; the owner takes the group for the next button
    // from the created button.
    void InitBtn(GSList* group, const char* label);
    void SetRadioAction(bool active);
    GtkWidget* GetRadioBtnWidget() const { return m_look.Widget(); }
    int GetState() const { return m_look.State(); }

private:
    ToggleButtonLook m_look{ToggleKind::Radio};
};
