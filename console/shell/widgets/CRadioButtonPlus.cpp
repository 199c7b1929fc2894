#include "CRadioButtonPlus.h"

void CRadioButtonPlus::InitBtn(GSList* group, const char* label)
{
    if (m_look.Widget())
        return; // one widget per wrapper
    m_look.Attach(gtk_radio_button_new_with_mnemonic(group, label ? label : ""));
}

void CRadioButtonPlus::SetRadioAction(bool active)
{
    if (GtkWidget* widget = m_look.Widget())
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), active ? TRUE : FALSE);
}
