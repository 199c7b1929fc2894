// The about box of the Help menu: the product's picture, name and version, its web
// address in blue under a hand pointer, and the maker's notice; one OK button.
// Created, run with RunDlg and ended with DestoryDlg by the menu.
#pragma once

#include "CBaseDialog.h"

class CAboutDlg : public CBaseDialog {
public:
    CAboutDlg(GtkWidget* parent, const char* title, int width, int height);
    ~CAboutDlg() override;

    const char* GetHelpName() override { return "AboutDlg"; }
    // Shows the box without running it modally.
    void ShowDlg();
    // The event box around the web address.
    GtkWidget* GetLinkWidget() const { return m_link; }

private:
    static void OnLinkRealized(GtkWidget* link, gpointer self);

    GdkCursor* m_handCursor = nullptr;
    GtkWidget* m_link = nullptr;
};
