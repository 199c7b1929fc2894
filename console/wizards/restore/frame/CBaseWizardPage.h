// The base of every restore wizard page's view: the page box the frame puts into its
// notebook, with the head area and the function area the page fills. The page's
// decisions live in a plain logic class that the view owns; the view forwards the
// frame's calls to it.
#pragma once

#include <gtk/gtk.h>

class IWizard;

class CBaseWizardPage {
public:
    explicit CBaseWizardPage(IWizard* wizard);
    virtual ~CBaseWizardPage();
    CBaseWizardPage(const CBaseWizardPage&) = delete;
    CBaseWizardPage& operator=(const CBaseWizardPage&) = delete;

    GtkWidget* GetPage() const { return m_page; }
    GtkWidget* GetFunctionArea() const { return m_functionArea; }
    GtkWidget* GetHeadArea() const { return m_headArea; }

    virtual int IsValid() { return 1; }
    // Called each time the page becomes current.
    virtual void InitPage() {}
    // Gathers the page's input into the record: 0 lets the wizard go on, non-zero stays.
    virtual int UpDate() = 0;
    virtual void OnHelpClicked() = 0;
    virtual void OnBackClicked() = 0;
    virtual void OnNextClicked() = 0;
    virtual void OnQuitClicked() = 0;
    // Page-specific decorations some later pages have; nothing by default.
    virtual void SetWndTipText(const char*) {}
    virtual void ShowToolBar(int) {}
    virtual void ShowActionPanel(int) {}
    virtual void ShowLegend(int) {}

protected:
    IWizard* m_wizard;
    GtkWidget* m_functionArea = nullptr;
    GtkWidget* m_headArea = nullptr;
    GtkWidget* m_page = nullptr;
};
