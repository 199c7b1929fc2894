#include "CConsoleAboutBox.h"

#include "CAboutDlg.h"

void CConsoleAboutBox::Run(GtkWidget* parent, const char* title, int width, int height)
{
    CAboutDlg about(parent, title, width, height);
    about.RunDlg();
    about.DestoryDlg();
}
