// The base of the clone wizard's pages: the page's widget with its top label and its
// tip row, the link to the wizard, and the defaults of what the wizard asks a page.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "CScrollBar.h"
#include "CloneWizardPageId.h"

class ICloneWizard;

class CCloneWizardPage {
public:
    CCloneWizardPage();
    virtual ~CCloneWizardPage();
    CCloneWizardPage(const CCloneWizardPage&) = delete;
    CCloneWizardPage& operator=(const CCloneWizardPage&) = delete;

    virtual void SetTipLabelText(const char*) {}
    virtual CLONE_WIZARD_PAGE GetNextPage() { return CLONE_PAGE_SOURCE_SELECT; }
    virtual void UpdateHeader() {}
    virtual void UpdateFooter() {}
    virtual void OpenHelp() {}
    virtual void InitPage() {}
    virtual void OnButtonClick(CLONE_WIZARD_BUTTON) {}
    virtual void SetWndFocus(GtkWidget*) {}
    virtual int DealWithFocus(GtkWidget*) { return 0; }
    virtual int CurrentPageForNextPage() { return 1; }
    virtual int CurrentPageForPrePage() { return 1; }
    // Cancel on the first three pages: the wizard closes itself.
    virtual void OnQuitClicked();

    void SetWizardInterface(ICloneWizard* wizard) { m_wizard = wizard; }
    ICloneWizard* GetDCWizardInterface() const { return m_wizard; }
    void SetMainWindow(GtkWidget* window) { m_mainWindow = window; }
    GtkWidget* GetPageInterface() const { return m_page; }
    void SetLabelText(const char* markup);
    // Draws the partition colour legend into a strip.
    static gboolean DisplayIconColor(GtkWidget* widget, GdkEventExpose* event, gpointer data);

    // A 500 x 16 strip showing the legend.
    static GtkWidget* NewLegendStrip();

protected:
    // Packs content between two 15-pixel strips into the page, above the tip row.
    void PackBetweenSpacers(GtkWidget* content);

    GtkWidget* m_page = nullptr;
    GtkWidget* m_label = nullptr;
    GtkWidget* m_tipLabel = nullptr;
    GtkWidget* m_tipRow = nullptr;
    GtkWidget* m_warnImage = nullptr;
    std::unique_ptr<CScrollBar> m_scrollBar;
    ICloneWizard* m_wizard = nullptr;
    GtkWidget* m_mainWindow = nullptr;
};
