#include "CloneMessage.h"

#include "CBaseDialog.h"
#include "CGtkMessageBox.h"
#include "ICloneWizard.h"

DLG_RESULT ShowCloneMessage(ICloneWizard* wizard, const char* title, GTK_MB_ICON_TYPE icon, GTK_MB_TYPE buttons,
                            const char* text)
{
    GtkWidget* parent = nullptr;
    if (wizard != nullptr && wizard->GetBaseDialog() != nullptr)
        parent = wizard->GetBaseDialog()->GetDlgWidget();
    CGtkMessageBox box(parent, title, icon, buttons, text);
    const DLG_RESULT answer = box.RunDlg();
    box.DestoryDlg();
    return answer;
}
