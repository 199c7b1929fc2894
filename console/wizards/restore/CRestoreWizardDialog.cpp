#include "CRestoreWizardDialog.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <atomic>

#include "CBaseWizardPage.h"
#include "CHelpViewerLauncher.h"
#include "EnvRoot.h"
#include "EnvScriptsInBackground.h"
#include "IEnvCommandRunner.h"
#include "ITasque.h"
#include "RestorePages.h"
#include "VessmarRescan.h"
#include "WizardHead.h"
#include "WizardKeys.h"
#include "WizardPageArea.h"

namespace {
std::atomic<int> g_liveRestoreWizards{0};
CRestoreWizardDialog* g_runningRestoreWizard = nullptr; // GTK work stays on the main thread
CRestoreWizardDialog::CommandFactory g_restoreCommandFactory = CreateTasqueObj;
} // namespace

CRestoreWizardDialog::CRestoreWizardDialog(GtkWidget* parent)
    : CRestoreWizardDialog(parent, g_restoreCommandFactory(), MakeRestorePage)
{
}

void CRestoreWizardDialog::SetCommandFactory(CommandFactory factory)
{
    g_restoreCommandFactory = factory != nullptr ? factory : CreateTasqueObj;
}

CRestoreWizardDialog::CRestoreWizardDialog(GtkWidget* parent, ITasque* tasque, PageMaker maker)
    : m_maker(std::move(maker))
{
    ++g_liveRestoreWizards;
    g_runningRestoreWizard = this;
    m_info.pTasque = tasque;
    Build(parent);
}

CRestoreWizardDialog::~CRestoreWizardDialog()
{
    DeletePages();
    if (m_info.pTasque)
        m_info.pTasque->Release();
    --g_liveRestoreWizards;
    if (g_runningRestoreWizard == this)
        g_runningRestoreWizard = nullptr;
}

int CRestoreWizardDialog::LiveCount()
{
    return g_liveRestoreWizards;
}

CRestoreWizardDialog* CRestoreWizardDialog::Running()
{
    return g_runningRestoreWizard;
}

void CRestoreWizardDialog::Build(GtkWidget* parent)
{
    m_dialog = gtk_dialog_new();
    g_object_add_weak_pointer(G_OBJECT(m_dialog), reinterpret_cast<gpointer*>(&m_dialog));
    gtk_window_set_title(GTK_WINDOW(m_dialog), kTitle);
    // Sized after its largest page once the pages are built (FitWizardPages); the
    // user may make it larger.
    gtk_window_set_resizable(GTK_WINDOW(m_dialog), TRUE);
    gtk_window_set_modal(GTK_WINDOW(m_dialog), TRUE);
    if (parent) {
        gtk_window_set_transient_for(GTK_WINDOW(m_dialog), GTK_WINDOW(parent));
        gtk_window_set_position(GTK_WINDOW(m_dialog), GTK_WIN_POS_CENTER_ON_PARENT);
    }
    gtk_window_set_decorated(GTK_WINDOW(m_dialog), TRUE);
    gtk_dialog_set_has_separator(GTK_DIALOG(m_dialog), FALSE);
    GdkColor background;
    gdk_color_parse("#E6EADC", &background);
    gtk_widget_modify_bg(m_dialog, GTK_STATE_NORMAL, &background);
    gtk_window_set_icon_from_file(GTK_WINDOW(m_dialog), "../res/main16.ico", nullptr);

    m_headArea = gtk_drawing_area_new();
    // Wide enough that no page's title or subtitle runs under the wizard's picture.
    int headWidth = RestoreWizardRoute::kWidth;
    for (int position = 0; position < RESTORE_PAGE_COUNT; ++position) {
        const RestorePageHead head = RestoreWizardRoute::Head(position);
        headWidth = std::max(headWidth, WizardHeadWidthFor(m_headArea, head.title, head.subtitle));
    }
    gtk_widget_set_size_request(m_headArea, headWidth, RestoreWizardRoute::kHeadHeight);
    g_signal_connect(m_headArea, "expose-event", G_CALLBACK(OnHeadExpose), this);

    m_notebook = gtk_notebook_new();
    gtk_notebook_set_show_tabs(GTK_NOTEBOOK(m_notebook), FALSE);
    gtk_notebook_set_show_border(GTK_NOTEBOOK(m_notebook), FALSE);

    m_mainBox = gtk_vbox_new(FALSE, 0);
    m_pageArea = WrapWizardPages(m_notebook, background);
    gtk_box_pack_start(GTK_BOX(m_mainBox), m_headArea, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_mainBox), m_pageArea, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_mainBox), gtk_hseparator_new(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(m_dialog)->vbox), m_mainBox, TRUE, TRUE, 0);

    // The button row is the dialog's action area: Back, Next and Cancel at its right
    // end in that order (so Tab runs over them left to right), the help area at its
    // left end.
    m_buttonRow = GTK_DIALOG(m_dialog)->action_area;
    gtk_button_box_set_layout(GTK_BUTTON_BOX(m_buttonRow), GTK_BUTTONBOX_END);
    gtk_box_set_spacing(GTK_BOX(m_buttonRow), 5);
    gtk_container_set_border_width(GTK_CONTAINER(m_buttonRow), 10);
    m_backButton = std::make_unique<CButtonPlus>("<_Back");
    m_nextButton = std::make_unique<CButtonPlus>("_Next>");
    m_cancelButton = std::make_unique<CButtonPlus>("_Cancel");
    m_back = m_backButton->GetButtonWidget();
    m_next = m_nextButton->GetButtonWidget();
    m_cancel = m_cancelButton->GetButtonWidget();
    for (CButtonPlus* button : {m_backButton.get(), m_nextButton.get(), m_cancelButton.get()}) {
        button->SetSize(80, 30);
        gtk_button_set_use_underline(GTK_BUTTON(button->GetButtonWidget()), TRUE);
    }
    gtk_box_pack_start(GTK_BOX(m_buttonRow), m_back, FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(m_buttonRow), m_next, FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(m_buttonRow), m_cancel, FALSE, FALSE, 20);
    m_helpArea = gtk_event_box_new();
    gtk_widget_set_size_request(m_helpArea, 70, 30);
    gtk_widget_set_app_paintable(m_helpArea, TRUE);
    gtk_box_pack_start(GTK_BOX(m_buttonRow), m_helpArea, FALSE, FALSE, 20);
    gtk_button_box_set_child_secondary(GTK_BUTTON_BOX(m_buttonRow), m_helpArea, TRUE);
    g_signal_connect(m_helpArea, "expose-event", G_CALLBACK(OnHelpExpose), this);
    g_signal_connect(m_helpArea, "button_release_event", G_CALLBACK(OnHelpRelease), this);

    g_signal_connect(m_dialog, "key-press-event", G_CALLBACK(OnEscapeKey), this);
    g_signal_connect(m_dialog, "key-press-event", G_CALLBACK(OnWizardKey), this);
    g_signal_connect(m_dialog, "delete_event", G_CALLBACK(OnDeleteEvent), this);
    g_signal_connect(m_dialog, "response", G_CALLBACK(OnResponse), this);
    g_signal_connect(m_back, "clicked", G_CALLBACK(OnBackClicked), this);
    g_signal_connect(m_next, "event", G_CALLBACK(OnNextEvent), this);
    g_signal_connect(m_cancel, "clicked", G_CALLBACK(OnCancelClicked), this);

    for (int position = 0; position < RESTORE_PAGE_COUNT; ++position) {
        m_pages[position] = m_maker(position, this);
        gtk_notebook_append_page(GTK_NOTEBOOK(m_notebook), m_pages[position]->GetPage(), nullptr);
    }
    FitWizardPages(m_dialog, m_pageArea, m_notebook);
}

CBaseWizardPage* CRestoreWizardDialog::GetPageObject(int position) const
{
    return position >= 0 && position < RESTORE_PAGE_COUNT ? m_pages[position] : nullptr;
}

int CRestoreWizardDialog::RunDlg()
{
    if (m_dialog && !m_ending) {
        gtk_widget_show_all(m_dialog);
        // Pages may have hidden parts of themselves in InitPage: let them again.
        if (Current())
            Current()->InitPage();
        FitWizardPages(m_dialog, m_pageArea, m_notebook);
        // Responses are stopped: the loop ends when the window is hidden or destroyed.
        gtk_dialog_run(GTK_DIALOG(m_dialog));
    }
    DestoryDlg();
    // The pages go while their widgets still exist (they let go of what they put into
    // them), then the window with every widget.
    DeletePages();
    if (m_dialog)
        gtk_widget_destroy(m_dialog);
    delete this;
    return 0;
}

void CRestoreWizardDialog::DestoryDlg()
{
    if (m_ending)
        return;
    m_ending = true;
    // Earlier pages only changed the device manager's memory; without a run those
    // edits must not survive into the next wizard or the main window's views.
    if (!m_info.bRunStarted) {
        if (IVessmarModule* vessmar = OpenVessmarModule())
            vessmar->Refresh(0);
    }
    // The scripts take seconds: the console goes on drawing while its window, which
    // takes no input until they end, waits for them.
    GtkWindow* parent = m_dialog != nullptr ? gtk_window_get_transient_for(GTK_WINDOW(m_dialog)) : nullptr;
    RunEnvScriptsInBackground(parent != nullptr ? GTK_WIDGET(parent) : nullptr,
                              {EnvPath("/mnt/umnt"), EnvPath("/mnt/umwp")});
    // Called from a page's handler: hiding ends the modal loop, and RunDlg deletes the
    // pages and the window once that handler has returned.
    if (m_dialog)
        gtk_widget_hide(m_dialog);
}

void CRestoreWizardDialog::DeletePages()
{
    for (CBaseWizardPage*& page : m_pages) {
        delete page;
        page = nullptr;
    }
}

void CRestoreWizardDialog::SetCurrentPage(int n)
{
    if (n < 0 || n >= RESTORE_PAGE_COUNT || m_ending)
        return;
    m_current = n;
    gtk_notebook_set_current_page(GTK_NOTEBOOK(m_notebook), n);
    if (m_headArea)
        gtk_widget_queue_draw(m_headArea);
    if (Current())
        Current()->InitPage();
    // A page may have rebuilt itself larger.
    if (m_dialog)
        FitWizardPages(m_dialog, m_pageArea, m_notebook);
}

void CRestoreWizardDialog::OnBack()
{
    SetCurrentPage(m_current - 1);
}

void CRestoreWizardDialog::OnNext()
{
    SetCurrentPage(m_current + 1);
}

void CRestoreWizardDialog::ShowBackBtn(int show)
{
    show ? gtk_widget_show(m_back) : gtk_widget_hide(m_back);
}

void CRestoreWizardDialog::ShowNextBtn(int show)
{
    show ? gtk_widget_show(m_next) : gtk_widget_hide(m_next);
}

void CRestoreWizardDialog::ShowHelpBtn(int show)
{
    show ? gtk_widget_show(m_helpArea) : gtk_widget_hide(m_helpArea);
}

void CRestoreWizardDialog::SetBtnNextText(const char* text)
{
    gtk_button_set_label(GTK_BUTTON(m_next), text ? text : "");
    gtk_button_set_use_underline(GTK_BUTTON(m_next), TRUE);
}

void CRestoreWizardDialog::EnableCancelBtn(int enable)
{
    gtk_widget_set_sensitive(m_cancel, enable != 0);
}

void CRestoreWizardDialog::EnableBackBtn(int enable)
{
    gtk_widget_set_sensitive(m_back, enable != 0);
}

void CRestoreWizardDialog::EnableNextBtn(int enable)
{
    gtk_widget_set_sensitive(m_next, enable != 0);
}

void CRestoreWizardDialog::EnableHelpBtn(int enable)
{
    gtk_widget_set_sensitive(m_helpArea, enable != 0);
}

void CRestoreWizardDialog::SetNextBtnFocus()
{
    gtk_widget_grab_focus(m_next);
}

void CRestoreWizardDialog::ReplaceEditPage()
{
    const int edit = RESTORE_PAGE_EDIT_PARTITION;
    gtk_notebook_remove_page(GTK_NOTEBOOK(m_notebook), edit);
    delete m_pages[edit];
    m_pages[edit] = m_maker(edit, this);
    gtk_notebook_insert_page(GTK_NOTEBOOK(m_notebook), m_pages[edit]->GetPage(), nullptr, edit);
    gtk_widget_show_all(m_notebook);
    // Removing a page moves the notebook off the current one: put it back.
    gtk_notebook_set_current_page(GTK_NOTEBOOK(m_notebook), m_current);
}

void CRestoreWizardDialog::ActAsNext()
{
    if (RestoreWizardRoute::RebuildsEditOnNext(m_current, m_pages[RESTORE_PAGE_EDIT_PARTITION] != nullptr))
        ReplaceEditPage();
    if (Current())
        Current()->OnNextClicked();
}

void CRestoreWizardDialog::OpenHelp()
{
    StartHelpViewer(RestoreWizardRoute::kHelpTopic);
}

gboolean CRestoreWizardDialog::OnEscapeKey(GtkWidget*, GdkEventKey* event, gpointer self)
{
    CRestoreWizardDialog* wizard = static_cast<CRestoreWizardDialog*>(self);
    if (RouteWizardKey(event->keyval, false, false) != WizardKeyAction::Quit)
        return FALSE;
    // Handled here, the key never reaches the dialog's own Escape binding (a response).
    if (wizard->Current())
        wizard->Current()->OnQuitClicked();
    return TRUE;
}

gboolean CRestoreWizardDialog::OnWizardKey(GtkWidget*, GdkEventKey* event, gpointer self)
{
    CRestoreWizardDialog* wizard = static_cast<CRestoreWizardDialog*>(self);
    const bool nextSensitive = GTK_WIDGET_IS_SENSITIVE(wizard->m_next);
    switch (RouteWizardKey(event->keyval, nextSensitive, RestoreWizardRoute::HelpKeyAllowed(wizard->m_current),
                           WizardFocusOf(wizard->m_dialog, wizard->m_next))) {
    case WizardKeyAction::Next:
        wizard->ActAsNext();
        return TRUE;
    case WizardKeyAction::Help:
        wizard->OpenHelp();
        return TRUE;
    case WizardKeyAction::Swallow:
        return TRUE;
    default:
        return FALSE;
    }
}

gboolean CRestoreWizardDialog::OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self)
{
    CRestoreWizardDialog* wizard = static_cast<CRestoreWizardDialog*>(self);
    if (wizard->Current())
        wizard->Current()->OnQuitClicked();
    return TRUE;
}

void CRestoreWizardDialog::OnResponse(GtkDialog* dialog, gint, gpointer)
{
    g_signal_stop_emission_by_name(dialog, "response");
}

void CRestoreWizardDialog::OnBackClicked(GtkButton*, gpointer self)
{
    CRestoreWizardDialog* wizard = static_cast<CRestoreWizardDialog*>(self);
    if (RestoreWizardRoute::RebuildsEditOnBack(wizard->m_current))
        wizard->ReplaceEditPage();
    if (wizard->Current())
        wizard->Current()->OnBackClicked();
}

gboolean CRestoreWizardDialog::OnNextEvent(GtkWidget*, GdkEvent* event, gpointer self)
{
    CRestoreWizardDialog* wizard = static_cast<CRestoreWizardDialog*>(self);
    NextButtonEvent kind = NextButtonEvent::Other;
    unsigned code = 0;
    const char* text = nullptr;
    if (event->type == GDK_BUTTON_PRESS) {
        kind = NextButtonEvent::ButtonPress;
    } else if (event->type == GDK_KEY_PRESS || event->type == GDK_KEY_RELEASE) {
        kind = event->type == GDK_KEY_PRESS ? NextButtonEvent::KeyPress : NextButtonEvent::KeyRelease;
        code = event->key.hardware_keycode;
        text = event->key.string;
    }
    if (NextButtonEventActs(kind, code, text))
        wizard->ActAsNext();
    return FALSE;
}

void CRestoreWizardDialog::OnCancelClicked(GtkButton*, gpointer self)
{
    CRestoreWizardDialog* wizard = static_cast<CRestoreWizardDialog*>(self);
    if (wizard->Current())
        wizard->Current()->OnQuitClicked();
}

gboolean CRestoreWizardDialog::OnHelpRelease(GtkWidget*, GdkEventButton*, gpointer self)
{
    static_cast<CRestoreWizardDialog*>(self)->OpenHelp();
    return TRUE;
}

gboolean CRestoreWizardDialog::OnHeadExpose(GtkWidget* widget, GdkEventExpose*, gpointer self)
{
    CRestoreWizardDialog* wizard = static_cast<CRestoreWizardDialog*>(self);
    cairo_t* cr = gdk_cairo_create(widget->window);
    const RestorePageHead head = RestoreWizardRoute::Head(wizard->m_current);
    const WizardHeadLook look{"../res/wizard_head_bg.png", 11, "../res/restore-wizard.png"};
    PaintWizardHead(cr, widget->allocation.width, look, head.title, head.subtitle);
    cairo_destroy(cr);
    return TRUE;
}

gboolean CRestoreWizardDialog::OnHelpExpose(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    PaintWizardHelpArea(cr, widget->allocation.width, widget->allocation.height);
    cairo_destroy(cr);
    return TRUE;
}
