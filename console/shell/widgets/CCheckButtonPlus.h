// The console's check button: GTK's check button with the console's indicator pictures.
#pragma once

#include "ToggleButtonLook.h"

#include <gtk/gtk.h>

class CCheckButtonPlus {
public:
    explicit CCheckButtonPlus(const char* label);
    CCheckButtonPlus(const CCheckButtonPlus&) = delete;
    CCheckButtonPlus& operator=(const CCheckButtonPlus&) = delete;

    GtkWidget* GetCheckBtnWidget() const { return m_look.Widget(); }
    int GetState() const { return m_look.State(); }

private:
    ToggleButtonLook m_look{ToggleKind::Check};
};
