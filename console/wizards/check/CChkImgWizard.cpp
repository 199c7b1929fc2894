#include "CChkImgWizard.h"

#include <algorithm>

#include "CButtonPlus.h"
#include "CChkImgProceedPage.h"
#include "CChkImgSummaryPage.h"
#include "CHelpViewerLauncher.h"
#include "CSelectVolumePage.h"
#include "EnvRoot.h"
#include "EnvScriptsInBackground.h"
#include "IEnvCommandRunner.h"
#include "ITasque.h"
#include "WizardHead.h"
#include "WizardKeys.h"
#include "WizardPageArea.h"

CChkImgWizard::CChkImgWizard(GtkWidget* parent) : CChkImgWizard(parent, nullptr)
{
}

CChkImgWizard::CChkImgWizard(GtkWidget* parent, ITasque* tasque) : m_parent(parent)
{
    InitWindow(parent, tasque != nullptr ? tasque : CreateTasqueObj());
}

CChkImgWizard::~CChkImgWizard()
{
    // The pages go while their widgets still exist, then the window with them.
    DeletePages();
    if (m_dialog != nullptr)
        gtk_widget_destroy(m_dialog);
}

void CChkImgWizard::DeletePages()
{
    for (CChkImgBasePage*& page : m_pages) {
        delete page;
        page = nullptr;
    }
}

void CChkImgWizard::InitWindow(GtkWidget* parent, ITasque* tasque)
{
    m_dialog = gtk_dialog_new();
    g_object_add_weak_pointer(G_OBJECT(m_dialog), reinterpret_cast<gpointer*>(&m_dialog));
    if (parent) {
        gtk_window_set_transient_for(GTK_WINDOW(m_dialog), GTK_WINDOW(parent));
        gtk_window_set_position(GTK_WINDOW(m_dialog), GTK_WIN_POS_CENTER_ON_PARENT);
    }
    // Sized after its largest page once the pages are built (FitWizardPages).
    gtk_window_set_resizable(GTK_WINDOW(m_dialog), TRUE);
    gtk_window_set_modal(GTK_WINDOW(m_dialog), TRUE);
    gtk_window_set_title(GTK_WINDOW(m_dialog), kTitle);
    gtk_dialog_set_has_separator(GTK_DIALOG(m_dialog), FALSE);
    gtk_window_set_decorated(GTK_WINDOW(m_dialog), TRUE);
    gtk_window_set_icon_from_file(GTK_WINDOW(m_dialog), "../res/main16.ico", nullptr);
    GdkColor background;
    gdk_color_parse("#E6EADC", &background);
    gtk_widget_modify_bg(m_dialog, GTK_STATE_NORMAL, &background);

    g_signal_connect(m_dialog, "key-press-event", G_CALLBACK(OnEscapeKey), this);
    g_signal_connect(m_dialog, "delete_event", G_CALLBACK(OnDeleteEvent), this);
    g_signal_connect(m_dialog, "response", G_CALLBACK(OnResponse), this);

    m_headBox = gtk_drawing_area_new();
    // Wide enough that the subtitle does not run under the wizard's picture.
    gtk_widget_set_size_request(m_headBox, std::max(640, WizardHeadWidthFor(m_headBox, kHeadTitle, kHeadSubtitle)), 73);
    g_signal_connect(m_headBox, "expose-event", G_CALLBACK(OnHeadExpose), this);

    m_backButton = std::make_unique<CButtonPlus>("<_Back");
    m_nextButton = std::make_unique<CButtonPlus>("_Next>");
    m_cancelButton = std::make_unique<CButtonPlus>("_Cancel");
    m_back = m_backButton->GetButtonWidget();
    m_next = m_nextButton->GetButtonWidget();
    m_cancel = m_cancelButton->GetButtonWidget();
    for (CButtonPlus* button : {m_backButton.get(), m_nextButton.get(), m_cancelButton.get()}) {
        button->SetSize(70, 30);
        gtk_button_set_use_underline(GTK_BUTTON(button->GetButtonWidget()), TRUE);
    }
    m_helpBox = gtk_event_box_new();
    gtk_widget_set_size_request(m_helpBox, 70, 30);
    gtk_widget_set_app_paintable(m_helpBox, TRUE);
    g_signal_connect(m_helpBox, "expose-event", G_CALLBACK(OnHelpExpose), this);
    g_signal_connect(m_helpBox, "button_release_event", G_CALLBACK(OnHelpRelease), this);

    m_notebook = gtk_notebook_new();
    gtk_notebook_set_show_border(GTK_NOTEBOOK(m_notebook), FALSE);
    gtk_notebook_set_show_tabs(GTK_NOTEBOOK(m_notebook), FALSE);
    gtk_widget_set_size_request(m_notebook, 640, 355);

    g_signal_connect(m_back, "clicked", G_CALLBACK(OnBackClicked), this);
    g_signal_connect(m_cancel, "clicked", G_CALLBACK(OnCancelClicked), this);
    g_signal_connect(m_next, "event", G_CALLBACK(OnNextEvent), this);

    m_upperBox = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_upperBox), m_headBox, FALSE, FALSE, 0);
    m_pageArea = WrapWizardPages(m_notebook, background);
    gtk_box_pack_start(GTK_BOX(m_upperBox), m_pageArea, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(m_dialog)->vbox), m_upperBox, TRUE, TRUE, 0);

    // The button row is the dialog's action area: Back, Next and Cancel at its right
    // end in that order (so Tab runs over them left to right), the help area at its
    // left end.
    m_buttonRow = GTK_DIALOG(m_dialog)->action_area;
    gtk_button_box_set_layout(GTK_BUTTON_BOX(m_buttonRow), GTK_BUTTONBOX_END);
    gtk_box_set_spacing(GTK_BOX(m_buttonRow), 5);
    gtk_container_set_border_width(GTK_CONTAINER(m_buttonRow), 10);
    gtk_box_pack_start(GTK_BOX(m_buttonRow), m_back, FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(m_buttonRow), m_next, FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(m_buttonRow), m_cancel, FALSE, FALSE, 20);
    gtk_box_pack_start(GTK_BOX(m_buttonRow), m_helpBox, FALSE, FALSE, 20);
    gtk_button_box_set_child_secondary(GTK_BUTTON_BOX(m_buttonRow), m_helpBox, TRUE);

    g_signal_connect(m_dialog, "key-press-event", G_CALLBACK(OnWizardKey), this);

    m_pages[0] = new CSelectVolumePage(this, m_run, tasque);
    m_pages[1] = new CChkImgSummaryPage(this);
    m_pages[2] = new CChkImgProceedPage(this, m_run);
    for (CChkImgBasePage* page : m_pages)
        gtk_notebook_append_page(GTK_NOTEBOOK(m_notebook), page->GetPage(), nullptr);
    FitWizardPages(m_dialog, m_pageArea, m_notebook);
}

int CChkImgWizard::RunDlg()
{
    if (m_dialog == nullptr)
        return 0;
    gtk_widget_show_all(m_dialog);
    gtk_notebook_set_current_page(GTK_NOTEBOOK(m_notebook), m_current);
    if (Current())
        Current()->InitPage();
    FitWizardPages(m_dialog, m_pageArea, m_notebook);
    // Responses are stopped: the run ends when a page hides the window.
    return gtk_dialog_run(GTK_DIALOG(m_dialog));
}

void CChkImgWizard::DestoryDlg()
{
    if (m_ending)
        return;
    m_ending = true;
    // The scripts take seconds: the console goes on drawing while its window, which
    // takes no input until they end, waits for them.
    GtkWindow* parent = m_dialog != nullptr ? gtk_window_get_transient_for(GTK_WINDOW(m_dialog)) : nullptr;
    RunEnvScriptsInBackground(parent != nullptr ? GTK_WIDGET(parent) : nullptr,
                              {EnvPath("/mnt/umnt"), EnvPath("/mnt/umwp")});
    // Called from a page's handler: hiding ends the modal loop; the pages and the
    // window go with the wizard object, once that handler has returned.
    if (m_dialog)
        gtk_widget_hide(m_dialog);
}

void CChkImgWizard::OnHelp()
{
    StartHelpViewer(kHelpTopic);
}

void CChkImgWizard::OnBack()
{
    SetCurrentPage(m_current - 1);
}

void CChkImgWizard::OnNext()
{
    SetCurrentPage(m_current + 1);
}

void CChkImgWizard::SetCurrentPage(int page)
{
    if (page < 0 || page >= kPageCount || m_ending)
        return;
    m_current = page;
    gtk_notebook_set_current_page(GTK_NOTEBOOK(m_notebook), page);
    if (Current())
        Current()->InitPage();
    // A page may have rebuilt itself larger.
    if (m_dialog)
        FitWizardPages(m_dialog, m_pageArea, m_notebook);
}

void CChkImgWizard::ShowBackBtn(int show) { show ? gtk_widget_show(m_back) : gtk_widget_hide(m_back); }
void CChkImgWizard::ShowNextBtn(int show) { show ? gtk_widget_show(m_next) : gtk_widget_hide(m_next); }

void CChkImgWizard::SetBtnNextText(const char* text)
{
    gtk_button_set_label(GTK_BUTTON(m_next), text ? text : "");
    gtk_button_set_use_underline(GTK_BUTTON(m_next), TRUE);
}

void CChkImgWizard::EnableCancelBtn(int enable) { gtk_widget_set_sensitive(m_cancel, enable != 0); }
void CChkImgWizard::EnableBackBtn(int enable) { gtk_widget_set_sensitive(m_back, enable != 0); }
void CChkImgWizard::EnableNextBtn(int enable) { gtk_widget_set_sensitive(m_next, enable != 0); }
void CChkImgWizard::SetNextBtnFocus() { gtk_widget_grab_focus(m_next); }

gboolean CChkImgWizard::OnEscapeKey(GtkWidget*, GdkEventKey* event, gpointer self)
{
    auto* wizard = static_cast<CChkImgWizard*>(self);
    if (RouteWizardKey(event->keyval, false, false) != WizardKeyAction::Quit)
        return FALSE;
    // Handled here, the key never reaches the dialog's own Escape binding (a response).
    if (wizard->Current())
        wizard->Current()->OnQuitClicked();
    return TRUE;
}

gboolean CChkImgWizard::OnWizardKey(GtkWidget*, GdkEventKey* event, gpointer self)
{
    auto* wizard = static_cast<CChkImgWizard*>(self);
    const bool nextSensitive =
        GTK_WIDGET_IS_SENSITIVE(wizard->m_next) && GTK_WIDGET_IS_SENSITIVE(gtk_widget_get_parent(wizard->m_next));
    const bool helpShown = GTK_WIDGET_VISIBLE(wizard->m_helpBox);
    switch (RouteWizardKey(event->keyval, nextSensitive, helpShown, WizardFocusOf(wizard->m_dialog, wizard->m_next))) {
    case WizardKeyAction::Next:
        if (wizard->Current())
            wizard->Current()->OnNextClicked();
        return TRUE;
    case WizardKeyAction::Help:
        wizard->OnHelp();
        return TRUE;
    case WizardKeyAction::Swallow:
        return TRUE;
    default:
        return FALSE;
    }
}

gboolean CChkImgWizard::OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self)
{
    auto* wizard = static_cast<CChkImgWizard*>(self);
    if (wizard->Current())
        wizard->Current()->OnQuitClicked();
    return TRUE;
}

void CChkImgWizard::OnResponse(GtkDialog* dialog, gint, gpointer)
{
    g_signal_stop_emission_by_name(dialog, "response");
}

void CChkImgWizard::OnBackClicked(GtkButton*, gpointer self)
{
    auto* wizard = static_cast<CChkImgWizard*>(self);
    if (wizard->Current())
        wizard->Current()->OnBackClicked();
}

gboolean CChkImgWizard::OnNextEvent(GtkWidget*, GdkEvent* event, gpointer self)
{
    auto* wizard = static_cast<CChkImgWizard*>(self);
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
    if (NextButtonEventActs(kind, code, text) && wizard->Current())
        wizard->Current()->OnNextClicked();
    return FALSE;
}

void CChkImgWizard::OnCancelClicked(GtkButton*, gpointer self)
{
    auto* wizard = static_cast<CChkImgWizard*>(self);
    if (wizard->Current())
        wizard->Current()->OnQuitClicked();
}

gboolean CChkImgWizard::OnHelpRelease(GtkWidget*, GdkEventButton*, gpointer self)
{
    static_cast<CChkImgWizard*>(self)->OnHelp();
    return TRUE;
}

gboolean CChkImgWizard::OnHeadExpose(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    const WizardHeadLook look{"../res/wizard_head_bg.png", 100, "../res/chkimg_dlg_head.png"};
    PaintWizardHead(cr, widget->allocation.width, look, kHeadTitle, kHeadSubtitle);
    cairo_destroy(cr);
    return TRUE;
}

gboolean CChkImgWizard::OnHelpExpose(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    PaintWizardHelpArea(cr, widget->allocation.width, widget->allocation.height);
    cairo_destroy(cr);
    return TRUE;
}
