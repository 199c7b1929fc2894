// The restore wizard as the console drives it: created with new over the main
// window, set to its first page and run. A modal dialog with a painted head, a
// tab-less notebook of nine pages and a row of buttons; it routes buttons and keys
// to the current page and keeps the page order, and owns the record the pages share.
//
// Life: a page ends the wizard with DestoryDlg, which runs the environment's unmount
// scripts and hides the window only; RunDlg deletes the pages, then the window, then
// the object once the modal loop has returned, so no page ever returns into freed
// memory nor lets go of widgets already gone, and callers never touch or delete the
// wizard after RunDlg.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>

#include "CButtonPlus.h"
#include "IWizard.h"
#include "RestorePagePosition.h"
#include "RestoreWizardRoute.h"
#include "TagRestoreInfo.h"

class CBaseWizardPage;
class ITasque;

class CRestoreWizardDialog final : public IWizard {
public:
    using PageMaker = std::function<CBaseWizardPage*(int position, IWizard* wizard)>;

    // The console's wizard: its own command object and the real pages.
    explicit CRestoreWizardDialog(GtkWidget* parent);
    // A wizard over a given command object (released with the wizard) and pages.
    CRestoreWizardDialog(GtkWidget* parent, ITasque* tasque, PageMaker maker);

    // Shows the wizard and runs it modally; returns after the object is deleted.
    int RunDlg();

    TagRestoreInfo* GetParam() override { return &m_info; }
    GtkWidget* GetDlg() override { return m_dialog; }
    GtkWidget* GetHeadBox() override { return m_headArea; }
    GtkWidget* GetContainer() override { return m_notebook; }
    void OnHelp() override {}
    void OnBack() override;
    void OnNext() override;
    void OnQuit() override {}
    void SetCurrentPage(int n) override;
    void ShowBackBtn(int show) override;
    void ShowNextBtn(int show) override;
    void ShowHelpBtn(int show) override;
    void SetBtnNextText(const char* text) override;
    void EnableCancelBtn(int enable) override;
    void EnableBackBtn(int enable) override;
    void EnableNextBtn(int enable) override;
    void EnableHelpBtn(int enable) override;
    void SetRightKeyCopy(bool copy) override { m_rightKeyCopy = copy; }
    bool IsRightKeyCopy() override { return m_rightKeyCopy; }
    void SetNextBtnFocus() override;
    void DestoryDlg() override;

    int GetCurrentPage() const { return m_current; }
    CBaseWizardPage* GetPageObject(int position) const;
    GtkWidget* GetBackButton() const { return m_back; }
    GtkWidget* GetNextButton() const { return m_next; }
    GtkWidget* GetCancelButton() const { return m_cancel; }
    GtkWidget* GetHelpArea() const { return m_helpArea; }

    static constexpr const char* kTitle = RestoreWizardRoute::kTitle;
    // Counts the objects alive, so that tests see the wizard end its own life.
    static int LiveCount();
    // The wizard made last that is still alive, or null: what a test that started it
    // through the console's launcher walks through.
    static CRestoreWizardDialog* Running();
    // Where the wizard made from the launcher gets its command object: the library's
    // factory, or for a test one whose engine answers as scripted. Null restores the
    // library's.
    using CommandFactory = ITasque* (*)();
    static void SetCommandFactory(CommandFactory factory);

private:
    ~CRestoreWizardDialog();
    void Build(GtkWidget* parent);
    void ActAsNext();
    void ReplaceEditPage();
    void DeletePages();
    void OpenHelp();
    CBaseWizardPage* Current() const { return GetPageObject(m_current); }

    static gboolean OnEscapeKey(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean OnWizardKey(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self);
    static void OnResponse(GtkDialog* dialog, gint, gpointer);
    static void OnBackClicked(GtkButton*, gpointer self);
    static gboolean OnNextEvent(GtkWidget*, GdkEvent* event, gpointer self);
    static void OnCancelClicked(GtkButton*, gpointer self);
    static gboolean OnHelpRelease(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnHeadExpose(GtkWidget* widget, GdkEventExpose*, gpointer self);
    static gboolean OnHelpExpose(GtkWidget* widget, GdkEventExpose*, gpointer self);

    GtkWidget* m_dialog = nullptr;
    GtkWidget* m_headArea = nullptr;
    GtkWidget* m_mainBox = nullptr;
    GtkWidget* m_buttonRow = nullptr;
    GtkWidget* m_back = nullptr;
    GtkWidget* m_next = nullptr;
    GtkWidget* m_cancel = nullptr;
    GtkWidget* m_helpArea = nullptr;
    std::unique_ptr<CButtonPlus> m_backButton, m_nextButton, m_cancelButton;
    GtkWidget* m_notebook = nullptr;
    GtkWidget* m_pageArea = nullptr; // the scroller that holds the notebook
    TagRestoreInfo m_info;
    bool m_rightKeyCopy = false;
    CBaseWizardPage* m_pages[RESTORE_PAGE_COUNT] = {};
    PageMaker m_maker;
    int m_current = 0;
    bool m_ending = false;
};
