// The disk clone wizard: a modal dialog with a header, the current page in a frame,
// and the footer's buttons. The console builds it over the main window, runs it through
// its dialog part and deletes it afterwards; a page that closes the wizard itself sets
// the end sign first, so the console does not destroy the dialog again.
#pragma once

#include "CBaseDialog.h"
#include "CCloneTaskDescriptionPage.h"
#include "CCloneTaskProgressPage.h"
#include "CCloneSourceSelectPage.h"
#include "CCloneTargetSelectPage.h"
#include "CCloneWizardFooter.h"
#include "CCloneWizardHeader.h"
#include "CloneWizardHistory.h"
#include "ICloneWizard.h"

class CCloneWizard : public ICloneWizard, public CBaseDialog {
public:
    CCloneWizard(GtkWidget* parent, const char* title, int width, int height);
    ~CCloneWizard() override;

    void OnHelpClicked() override;
    void OnBackClicked() override;
    void OnNextClicked() override;
    void OnQuitClicked() override;
    int OnNext() override;
    void OpenHelp() override;
    void ShowBackBtn(int show) override { m_footer.ShowBackBtn(show); }
    void ShowNextBtn(int show) override { m_footer.ShowNextBtn(show); }
    void HideHeader(int hide) override { m_header.HideHeader(hide); }
    void SetHeaderText(const char* title, const char* subtitle) override { m_header.SetHeaderText(title, subtitle); }
    void SetHeaderPicture(const char* path, int placement) override { m_header.SetHeaderPicture(path, placement); }
    void HideSeparator(int hide) override;
    void EnableCancelBtn(int enable) override { m_footer.EnableQuitBtn(enable); }
    void EnableBackBtn(int enable) override { m_footer.EnableBackBtn(enable); }
    void EnableNextBtn(int enable) override { m_footer.EnableNextBtn(enable); }
    void EnableHelpBtn(int enable) override { m_footer.EnableHelpBtn(enable); }
    void SetBtnQuitText(const char* text) override { m_footer.SetBtnQuitText(text); }
    void SetBtnNextText(const char* text) override { m_footer.SetBtnNextText(text); }
    void SetNextBtnFocus(GtkWidget* window) override { m_footer.SetNextBtnFocus(window); }
    void SetBackBtnFocus(GtkWidget* window) override { m_footer.SetBackBtnFocus(window); }
    void SetHelpBtnFocus(GtkWidget* window) override { m_footer.SetHelpBtnFocus(window); }
    void SetQuitBtnFocus(GtkWidget* window) override { m_footer.SetQuitBtnFocus(window); }
    int IsHelpBtnFocused() override { return m_footer.IsHelpBtnFocused(); }
    int IsBackBtnFocused() override { return m_footer.IsBackBtnFocused(); }
    int IsNextBtnFocused() override { return m_footer.IsNextBtnFocused(); }
    int IsQuitBtnFocused() override { return m_footer.IsQuitBtnFocused(); }
    int IsNextBtnSensitive() override { return m_footer.IsNextBtnSensitive(); }
    GtkWidget* GetMainWindow() override { return m_parentWindow; }
    int GetWndWidth() override { return m_width; }
    CBaseDialog* GetBaseDialog() override { return m_dlg; }

    virtual void OnCloseClicked() { OnQuitClicked(); }
    int OnKeyPressCallBack(unsigned int keyval) override;
    void DestoryDlg() override { CBaseDialog::DestoryDlg(); }

    void SetDlg(CBaseDialog* dialog) { m_dlg = dialog; }
    void ShowPage(CLONE_WIZARD_PAGE page);
    void ShowNextPage();
    void ShowPrePage();
    void InitWindow();

    // The wizard on screen now, or null: what tests and the log read back.
    static CCloneWizard* Running() { return s_running; }
    CLONE_WIZARD_PAGE CurrentPage() const { return m_history.Current(); }
    CCloneWizardPage* Page(CLONE_WIZARD_PAGE page) const { return m_pages[page]; }
    CCloneWizardHeader& Header() { return m_header; }
    CCloneWizardFooter& Footer() { return m_footer; }
    GtkWidget* Separator() const { return m_separator; }

private:
    static gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self);
    static void OnResponse(GtkDialog* dialog, gint, gpointer);

    GtkWidget* m_box = nullptr;
    GtkWidget* m_frame = nullptr;
    CloneWizardHistory m_history;
    CCloneWizardHeader m_header;
    CCloneWizardFooter m_footer;
    CCloneSourceSelectPage m_sourcePage;
    CCloneTargetSelectPage m_targetPage;
    CCloneTaskDescriptionPage m_descriptionPage;
    CCloneTaskProgressPage m_progressPage;
    CCloneWizardPage* m_pages[kClonePageCount];
    GtkWidget* m_separator = nullptr;
    CBaseDialog* m_dlg = nullptr;
    GtkWidget* m_parentWindow = nullptr;
    static CCloneWizard* s_running;
};
