#include "CConsoleAboutBox.h"

// The About dialog lives with the console's other small dialogs; until that header
// is in the tree the menu item opens nothing.
#if __has_include("CAboutDlg.h")
#include "CAboutDlg.h"
#define RVD_MENU_HAS_ABOUT_DLG 1
#endif

void CConsoleAboutBox::Run(GtkWidget* parent, const char* title, int width, int height)
{
#ifdef RVD_MENU_HAS_ABOUT_DLG
    CAboutDlg about(parent, title, width, height);
    about.RunDlg();
    about.DestoryDlg();
#else
    (void)parent;
    (void)title;
    (void)width;
    (void)height;
#endif
}
