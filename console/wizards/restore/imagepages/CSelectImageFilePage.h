// The restore wizard's first page: a browser over the mounted volumes on the left,
// the chosen image's layout, comment, date and size (or its password question) on
// the right, and the file name below. CImageSelectionLogic decides; this class
// only shows.
#pragma once

#include <memory>
#include <string>

#include "CBaseWizardPage.h"
#include "CButtonPlus.h"
#include "CEntryPlus.h"
#include "CGtkWizardMessages.h"
#include "CImageSelectionLogic.h"
#include "IListCallBack.h"

class CExploreCtrl;
class CImagePanel;

class CSelectImageFilePage : public CBaseWizardPage, public IListCallBack {
public:
    explicit CSelectImageFilePage(IWizard* wizard);
    ~CSelectImageFilePage() override;

    int IsValid() override { return 0; }
    void InitPage() override;
    int UpDate() override { return m_logic.UpDate(); }
    void OnHelpClicked() override;
    void OnBackClicked() override {}
    void OnNextClicked() override { m_logic.OnNextClicked(); }
    void OnQuitClicked() override;
    void RowChangeCallBack() override;

    GtkWidget* GetHasPasswordBox() const { return m_passwordBox; }
    GtkWidget* GetNoPasswordBox() const { return m_openBox; }
    GtkWidget* GetPasswordEntry() const { return m_password.GetEntryWidget(); }
    GtkWidget* GetConfirmButton() const { return m_confirm.GetButtonWidget(); }
    GtkWidget* GetFileNameEntry() const { return m_fileName.GetEntryWidget(); }
    GtkWidget* GetCommentStrip() const { return m_commentStrip; }
    GtkWidget* GetDateSizeLabel() const { return m_dateSize; }
    CExploreCtrl* GetBrowser() const { return m_browser.get(); }
    const CImageSelectionLogic& Logic() const { return m_logic; }
    const std::string& CommentText() const { return m_comment; }

private:
    void Show(CImageSelectionLogic::Outcome outcome);
    void SetGui();
    void SetShortName(const std::string& path);
    void SetFileNameLabel(const std::string& path);
    void SetDescription();
    void ConfirmPassword();
    void DropPanel();
    static void OnValueChanged(GtkEditable*, gpointer self);
    static void OnComfirmed(GtkButton*, gpointer self);
    static gboolean PassReleaseEvent(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean on_draw_discript(GtkWidget* widget, GdkEventExpose*, gpointer self);

    CGtkWizardMessages m_messages;
    CImageSelectionLogic m_logic;
    std::unique_ptr<CExploreCtrl> m_browser;
    CEntryPlus m_fileName;
    CEntryPlus m_fileType;
    CEntryPlus m_password;
    CButtonPlus m_confirm{"Conf_irm"};
    GtkWidget* m_rightBox = nullptr;
    GtkWidget* m_passwordBox = nullptr;
    GtkWidget* m_openBox = nullptr;
    GtkWidget* m_protectedName = nullptr;
    GtkWidget* m_openName = nullptr;
    GtkWidget* m_commentStrip = nullptr;
    GtkWidget* m_dateSize = nullptr;
    GtkWidget* m_scrolled = nullptr;
    GtkWidget* m_textView = nullptr;
    std::unique_ptr<CImagePanel> m_panel;
    std::string m_comment = "  No comments.";
    bool m_settingEntry = false;
};
