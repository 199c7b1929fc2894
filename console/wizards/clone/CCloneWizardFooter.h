// The clone wizard's button bar: a drawn Help widget on the left, Back and Next, and
// Cancel at the right end. Presses go to the wizard.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "CButtonPlus.h"

class ICloneWizard;

class CCloneWizardFooter {
public:
    CCloneWizardFooter();
    virtual ~CCloneWizardFooter();
    CCloneWizardFooter(const CCloneWizardFooter&) = delete;
    CCloneWizardFooter& operator=(const CCloneWizardFooter&) = delete;

    virtual void ShowHelpBtn(int show);
    virtual void ShowBackBtn(int show);
    virtual void ShowNextBtn(int show);
    virtual void ShowQuitBtn(int show);
    virtual void EnableHelpBtn(int enable);
    virtual void EnableBackBtn(int enable);
    virtual void EnableNextBtn(int enable);
    virtual void EnableQuitBtn(int enable);
    virtual void SetBtnQuitText(const char* text);
    virtual void SetBtnNextText(const char* text);
    virtual GtkWidget* GetWizardFooterInterface() { return m_footer; }

    void SetWizardInterface(ICloneWizard* wizard) { m_wizard = wizard; }
    ICloneWizard* GetDCWizardInterface() const { return m_wizard; }
    void SetNextBtnFocus(GtkWidget* window) { Focus(window, m_next); }
    void SetBackBtnFocus(GtkWidget* window) { Focus(window, m_back); }
    void SetHelpBtnFocus(GtkWidget* window) { Focus(window, m_help); }
    void SetQuitBtnFocus(GtkWidget* window) { Focus(window, m_quit); }
    int IsHelpBtnFocused() const { return Focused(m_help); }
    int IsBackBtnFocused() const { return Focused(m_back); }
    int IsNextBtnFocused() const { return Focused(m_next); }
    int IsQuitBtnFocused() const { return Focused(m_quit); }
    // Sensitive itself and through every parent.
    int IsNextBtnSensitive() const;

    GtkWidget* HelpWidget() const { return m_help; }
    GtkWidget* BackWidget() const { return m_back; }
    GtkWidget* NextWidget() const { return m_next; }
    GtkWidget* QuitWidget() const { return m_quit; }

    static constexpr int kButtonWidth = 80;
    static constexpr int kButtonHeight = 30;

private:
    static void Focus(GtkWidget* window, GtkWidget* button);
    static int Focused(GtkWidget* button);
    static void OnBack(GtkButton*, gpointer self);
    static void OnNextButton(GtkButton*, gpointer self);
    static void OnQuit(GtkButton*, gpointer self);
    static gboolean OnHelpRelease(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnHelpExpose(GtkWidget* widget, GdkEventExpose*, gpointer);

    CButtonPlus* m_unused = nullptr; // a slot the bar never fills
    std::unique_ptr<CButtonPlus> m_backButton, m_nextButton, m_quitButton;
    GtkWidget* m_footer = nullptr;
    GtkWidget* m_help = nullptr;
    GtkWidget* m_back = nullptr;
    GtkWidget* m_next = nullptr;
    GtkWidget* m_quit = nullptr;
    ICloneWizard* m_wizard = nullptr;
};
