#include "CCloneWizard.h"

#include "CHelpViewerLauncher.h"

CCloneWizard* CCloneWizard::s_running = nullptr;

CCloneWizard::CCloneWizard(GtkWidget* parent, const char* title, int width, int height)
    : CBaseDialog(parent, title, width, height),
      m_pages{&m_sourcePage, &m_targetPage, &m_descriptionPage, &m_progressPage}, m_parentWindow(parent)
{
    m_footer.SetWizardInterface(this);
    for (CCloneWizardPage* page : m_pages) {
        page->SetWizardInterface(this);
        page->SetMainWindow(parent);
    }
    m_box = gtk_vbox_new(FALSE, 0);
    m_frame = gtk_frame_new(nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(m_frame), GTK_SHADOW_NONE);
    m_separator = gtk_hseparator_new();
    InitWindow();
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(m_dialog)->vbox), m_box, TRUE, TRUE, 0);
    s_running = this;
}

CCloneWizard::~CCloneWizard()
{
    if (s_running == this)
        s_running = nullptr;
    // The pages' widgets leave the frame before the pages go; the dialog goes with the base.
    if (m_frame != nullptr && m_dialog != nullptr) {
        if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(m_frame)))
            gtk_container_remove(GTK_CONTAINER(m_frame), child);
    }
    CBaseDialog::DestoryDlg();
}

void CCloneWizard::InitWindow()
{
    gtk_box_pack_start(GTK_BOX(m_box), m_header.GetWizardHeaderInterface(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_frame, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_separator, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_footer.GetWizardFooterInterface(), FALSE, FALSE, 5);
    m_history.Reset(CLONE_PAGE_SOURCE_SELECT);
    m_sourcePage.InitPage();
    ShowPage(CLONE_PAGE_SOURCE_SELECT);
    EnableBackBtn(0);
    // The close box acts as Cancel: the window manager never destroys the dialog itself.
    g_signal_connect(m_dialog, "delete-event", G_CALLBACK(OnDeleteEvent), this);
    g_signal_connect(m_dialog, "response", G_CALLBACK(OnResponse), nullptr);
}

void CCloneWizard::ShowPage(CLONE_WIZARD_PAGE page)
{
    if (page < CLONE_PAGE_SOURCE_SELECT || page > CLONE_PAGE_TASK_PROGRESS || m_frame == nullptr)
        return;
    if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(m_frame)))
        gtk_container_remove(GTK_CONTAINER(m_frame), child); // the page keeps its own reference
    CCloneWizardPage* shown = m_pages[page];
    shown->UpdateHeader();
    m_footer.ShowHelpBtn(page != CLONE_PAGE_TASK_PROGRESS);
    gtk_container_add(GTK_CONTAINER(m_frame), shown->GetPageInterface());
    gtk_widget_show_all(m_frame);
    if (page == CLONE_PAGE_TASK_PROGRESS)
        m_footer.ShowHelpBtn(0);
    shown->SetWndFocus(m_dialog);
}

void CCloneWizard::ShowNextPage()
{
    const CLONE_WIZARD_PAGE next = m_pages[m_history.Current()]->GetNextPage();
    // The page may have closed the wizard (its run ended): nothing more to show then.
    if (m_dialog == nullptr || !m_history.Forward(next))
        return;
    m_pages[next]->UpdateFooter();
    m_pages[next]->InitPage();
    ShowPage(next);
}

void CCloneWizard::ShowPrePage()
{
    if (!m_history.Back())
        return;
    ShowPage(m_history.Current());
    if (m_history.Current() == CLONE_PAGE_SOURCE_SELECT)
        EnableBackBtn(0);
}

void CCloneWizard::OnHelpClicked()
{
    if (m_history.Current() != CLONE_PAGE_TASK_PROGRESS)
        OpenHelp();
}

void CCloneWizard::OnBackClicked()
{
    m_pages[m_history.Current()]->CurrentPageForPrePage();
    ShowPrePage();
}

void CCloneWizard::OnNextClicked()
{
    if (m_pages[m_history.Current()]->CurrentPageForNextPage())
        ShowNextPage();
}

void CCloneWizard::OnQuitClicked()
{
    m_pages[m_history.Current()]->OnQuitClicked();
}

int CCloneWizard::OnNext()
{
    if (!IsNextBtnSensitive())
        return 0;
    OnNextClicked();
    return 1;
}

void CCloneWizard::OpenHelp()
{
    StartHelpViewer("CLONE_DISK");
}

void CCloneWizard::HideSeparator(int hide)
{
    hide ? gtk_widget_hide(m_separator) : gtk_widget_show(m_separator);
    gtk_widget_show(m_box);
}

int CCloneWizard::OnKeyPressCallBack(unsigned int keyval)
{
    GtkWidget* focus = m_dialog != nullptr ? gtk_window_get_focus(GTK_WINDOW(m_dialog)) : nullptr;
    const bool otherButton = focus != nullptr && GTK_IS_BUTTON(focus) && focus != m_footer.NextWidget();
    switch (CloneKeyFor(keyval, m_history.Current(), otherButton)) {
    case CloneKeyAction::Next:
        OnNext();
        return 1;
    case CloneKeyAction::Help:
        OpenHelp();
        return 1;
    default:
        return 0;
    }
}

gboolean CCloneWizard::OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self)
{
    static_cast<CCloneWizard*>(self)->OnQuitClicked();
    return TRUE;
}

void CCloneWizard::OnResponse(GtkDialog* dialog, gint, gpointer)
{
    // Only the pages end the run: the toolkit's own responses are stopped here.
    g_signal_stop_emission_by_name(dialog, "response");
}
