#include "CCheckButtonPlus.h"

CCheckButtonPlus::CCheckButtonPlus(const char* label)
{
    m_look.Attach(gtk_check_button_new_with_mnemonic(label ? label : ""));
}
