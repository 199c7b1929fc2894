// The check-image wizard as the console drives it: a local object over the main
// window, set to its first page and run; it is destroyed when its owner's scope
// ends. Page 0 picks the image and volumes, page 1 sums up, page 2 checks.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "ChkImgRunState.h"
#include "IChkImgWizard.h"

class CButtonPlus;
class CChkImgBasePage;
class ITasque;

class CChkImgWizard : public IChkImgWizard {
public:
    explicit CChkImgWizard(GtkWidget* parent);
    // tasque: the command object of this run (owned); null makes one.
    CChkImgWizard(GtkWidget* parent, ITasque* tasque);
    virtual ~CChkImgWizard();
    CChkImgWizard(const CChkImgWizard&) = delete;
    CChkImgWizard& operator=(const CChkImgWizard&) = delete;

    int RunDlg();

    GtkWidget* GetParentDlg() override { return m_parent; }
    TagChkImgInfo* GetParam() override { return &m_info; }
    GtkWidget* GetDlg() override { return m_dialog; }
    GtkWidget* GetHeadBox() override { return m_headBox; }
    GtkWidget* GetContainer() override { return m_notebook; }
    GtkWidget* GetHelpButton() override { return m_helpBox; }
    void OnHelp() override;
    void OnBack() override;
    void OnNext() override;
    void OnQuit() override {}
    void SetCurrentPage(int page) override;
    void ShowBackBtn(int show) override;
    void ShowNextBtn(int show) override;
    void SetBtnNextText(const char* text) override;
    void EnableCancelBtn(int enable) override;
    void EnableBackBtn(int enable) override;
    void EnableNextBtn(int enable) override;
    void EnableHelpBtn(int) override {}
    void SetNextBtnFocus() override;
    void DestoryDlg() override;

    int GetCurrentPage() const { return m_current; }
    CChkImgBasePage* GetPageObject(int n) const { return n >= 0 && n < kPageCount ? m_pages[n] : nullptr; }
    GtkWidget* BackButton() const { return m_back; }
    GtkWidget* NextButton() const { return m_next; }
    GtkWidget* CancelButton() const { return m_cancel; }
    const ChkImgRunState& RunState() const { return m_run; }

    static constexpr const char* kTitle = "Check Image Wizard";
    static constexpr const char* kHelpTopic = "CHECK_IMG_FILE";
    static constexpr const char* kHeadTitle = "Select backup image to check";
    static constexpr const char* kHeadSubtitle = "Please select the backup image you want to check in the following tree.";
    static constexpr int kPageCount = 3;

private:
    void InitWindow(GtkWidget* parent, ITasque* tasque);
    CChkImgBasePage* Current() const { return GetPageObject(m_current); }

    void DeletePages();
    static gboolean OnEscapeKey(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean OnWizardKey(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean OnDeleteEvent(GtkWidget* widget, GdkEvent* event, gpointer self);
    static void OnResponse(GtkDialog* dialog, gint response, gpointer self);
    static void OnBackClicked(GtkButton* button, gpointer self);
    static gboolean OnNextEvent(GtkWidget* widget, GdkEvent* event, gpointer self);
    static void OnCancelClicked(GtkButton* button, gpointer self);
    static gboolean OnHelpRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnHeadExpose(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean OnHelpExpose(GtkWidget* widget, GdkEventExpose* event, gpointer self);

    GtkWidget* m_dialog = nullptr;
    GtkWidget* m_parent = nullptr;
    GtkWidget* m_headBox = nullptr;
    GtkWidget* m_upperBox = nullptr;
    GtkWidget* m_buttonRow = nullptr;
    GtkWidget* m_helpBox = nullptr;
    GtkWidget* m_back = nullptr;
    GtkWidget* m_next = nullptr;
    GtkWidget* m_cancel = nullptr;
    std::unique_ptr<CButtonPlus> m_backButton, m_nextButton, m_cancelButton;
    GtkWidget* m_notebook = nullptr;
    GtkWidget* m_pageArea = nullptr; // the scroller that holds the notebook
    TagChkImgInfo m_info;
    ChkImgRunState m_run;
    CChkImgBasePage* m_pages[kPageCount] = {nullptr, nullptr, nullptr};
    int m_current = 0;
    bool m_ending = false;
};
