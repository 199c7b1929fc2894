#include "CGtkWizardMessages.h"

#include "CGtkMessageBox.h"

int CGtkWizardMessages::Show(const std::string& title, int icon, int buttons, const std::string& text)
{
    CGtkMessageBox box(parent_ ? parent_() : nullptr, title.c_str(), static_cast<GTK_MB_ICON_TYPE>(icon),
                       static_cast<GTK_MB_TYPE>(buttons), text.c_str());
    const int result = box.RunDlg();
    box.DestoryDlg();
    return result;
}
