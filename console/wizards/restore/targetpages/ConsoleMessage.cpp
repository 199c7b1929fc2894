#include "ConsoleMessage.h"

#include "CGtkMessageBox.h"

PageMessage ConsoleMessage(GtkWidget* parent)
{
    return [parent](const char* title, int icon, int buttons, const char* text) {
        auto* box = new CGtkMessageBox(parent, title, static_cast<GTK_MB_ICON_TYPE>(icon),
                                       static_cast<GTK_MB_TYPE>(buttons), text);
        const int answer = box->RunDlg();
        box->DestoryDlg();
        delete box;
        return answer;
    };
}
