#include "CBaseDialog.h"

#include "CHelpViewerLauncher.h"
#include "DialogButtonPlacement.h"

namespace {
enum ButtonKind { kPlainOk = 0, kDefault = 1, kHelp = 3, kExtra = 6 };
} // namespace

CBaseDialog::CBaseDialog(GtkWidget* parent, const char* title, int width, int height)
{
    InitDialog(parent, title, width, height);
}

CBaseDialog::~CBaseDialog()
{
    // A dialog deleted without DestoryDlg must not stay on screen calling back here.
    DestoryDlg();
}

void CBaseDialog::InitDialog(GtkWidget* parent, const char* title, int width, int height)
{
    m_parent = parent;
    m_width = width;
    m_height = height;
    m_dialog = gtk_dialog_new();
    g_object_add_weak_pointer(G_OBJECT(m_dialog), reinterpret_cast<gpointer*>(&m_dialog));
    g_signal_connect(m_dialog, "key-press-event", G_CALLBACK(OnKeyPress), this);

    GtkWindow* window = GTK_WINDOW(m_dialog);
    // Callers may hand any widget of their window; the dialog stays over its window.
    GtkWidget* parentWindow = parent ? gtk_widget_get_toplevel(parent) : nullptr;
    if (parentWindow && GTK_IS_WINDOW(parentWindow))
        gtk_window_set_transient_for(window, GTK_WINDOW(parentWindow));
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER_ON_PARENT);
    gtk_window_set_title(window, title ? title : "");
    // The given size is the least: a fixed size request would cut off contents that
    // need more (a longer text, a larger font).
    m_leastWidth = width;
    m_leastHeight = height;
    g_signal_connect_after(m_dialog, "size-request", G_CALLBACK(AtLeastGivenSize), this);
    gtk_dialog_set_has_separator(GTK_DIALOG(m_dialog), FALSE);

    if (GdkPixbuf* icon = gdk_pixbuf_new_from_file("../res/main16.ico", nullptr)) {
        gtk_window_set_icon(window, icon);
        g_object_unref(icon);
    }
    const GdkColor background = {0, 0xECEC, 0xE9E9, 0xD8D8};
    gtk_widget_modify_bg(m_dialog, GTK_STATE_NORMAL, &background);
    g_signal_connect(m_dialog, "realize", G_CALLBACK(RealizeEventCallBack), this);
}

void CBaseDialog::AddButton(const char* label, DLG_RESULT kind)
{
    if (!m_dialog)
        return;
    m_ownedButtons.push_back(std::make_unique<CButtonPlus>(label));
    CButtonPlus* button = m_ownedButtons.back().get();
    GtkWidget* widget = button->GetButtonWidget();
    GtkWidget* actionArea = GTK_DIALOG(m_dialog)->action_area;

    switch (static_cast<int>(kind)) {
    case kDefault:
        gtk_dialog_add_action_widget(GTK_DIALOG(m_dialog), widget, kind);
        m_defaultButton = button;
        button->SetDefualt();
        break;
    case kHelp:
        gtk_box_pack_start(GTK_BOX(actionArea), widget, FALSE, TRUE, 0);
        g_signal_connect(widget, "clicked", G_CALLBACK(OnHelpClicked), this);
        m_helpButton = button;
        break;
    case kExtra:
        gtk_box_pack_start(GTK_BOX(actionArea), widget, FALSE, TRUE, 0);
        m_extraButton = button;
        break;
    default:
        gtk_dialog_add_action_widget(GTK_DIALOG(m_dialog), widget, kind);
        m_lastButton = button;
        break;
    }
    // Three positions only: a fourth button is shown but not ordered or placed.
    m_buttons.Add(button);
}

GtkWidget* CBaseDialog::GetButtonWidget(int index) const
{
    const CButtonPlus* button = m_buttons.At(index);
    return button ? button->GetButtonWidget() : nullptr;
}

GtkWidget* CBaseDialog::GetDefaultBtn() const
{
    return m_extraButton ? m_extraButton->GetButtonWidget() : nullptr;
}

void CBaseDialog::SetButtonFocus(int index)
{
    GtkWidget* widget = GetButtonWidget(index);
    if (widget && m_dialog)
        gtk_window_set_focus(GTK_WINDOW(m_dialog), widget);
}

void CBaseDialog::SetButtonLabel(int index, const char* label)
{
    if (GtkWidget* widget = GetButtonWidget(index))
        gtk_button_set_label(GTK_BUTTON(widget), label ? label : "");
}

DLG_RESULT CBaseDialog::RunDlg()
{
    if (!m_dialog)
        return static_cast<DLG_RESULT>(GTK_RESPONSE_NONE);
    gtk_widget_show_all(m_dialog);
    return static_cast<DLG_RESULT>(gtk_dialog_run(GTK_DIALOG(m_dialog)));
}

void CBaseDialog::DestoryDlg()
{
    if (!m_dialog)
        return;
    GtkWidget* dialog = m_dialog;
    g_object_remove_weak_pointer(G_OBJECT(dialog), reinterpret_cast<gpointer*>(&m_dialog));
    m_dialog = nullptr;
    g_signal_handlers_disconnect_by_func(dialog, reinterpret_cast<gpointer>(AtLeastGivenSize), this);
    gtk_widget_destroy(dialog);
}

const char* CBaseDialog::GetHelpName()
{
    return "UnKnow";
}

void CBaseDialog::AtLeastGivenSize(GtkWidget*, GtkRequisition* requisition, gpointer self)
{
    const CBaseDialog* dialog = static_cast<const CBaseDialog*>(self);
    if (dialog->m_leastWidth > requisition->width)
        requisition->width = dialog->m_leastWidth;
    if (dialog->m_leastHeight > requisition->height)
        requisition->height = dialog->m_leastHeight;
}

int CBaseDialog::OnKeyPressCallBack(unsigned int)
{
    return 0;
}

gboolean CBaseDialog::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self)
{
    return static_cast<CBaseDialog*>(self)->OnKeyPressCallBack(event->keyval) ? TRUE : FALSE;
}

void CBaseDialog::RealizeEventCallBack(GtkWidget*, gpointer self)
{
    CBaseDialog* dialog = static_cast<CBaseDialog*>(self);
    // The button box lays its children out on every allocation; the dialog's own
    // placement is applied after it each time.
    g_signal_connect_after(GTK_DIALOG(dialog->m_dialog)->action_area, "size-allocate",
                           G_CALLBACK(OnActionAreaAllocated), dialog);
    dialog->PlaceButtons();
}

void CBaseDialog::OnActionAreaAllocated(GtkWidget*, GtkAllocation*, gpointer self)
{
    static_cast<CBaseDialog*>(self)->PlaceButtons();
}

void CBaseDialog::PlaceButtons()
{
    if (!m_dialog)
        return;
    const int w = m_dialog->allocation.width;
    for (const DialogButtonPosition& p :
         PlaceDialogButtons(m_buttons.Count(), m_singleButtonAtRightEdge, m_width, w)) {
        const CButtonPlus* button =
            p.target == DialogButtonPosition::DefaultButton ? m_defaultButton : m_buttons.At(p.index);
        if (!button || !button->GetButtonWidget())
            continue;
        GtkWidget* widget = button->GetButtonWidget();
        GtkAllocation allocation = widget->allocation;
        if (allocation.x == p.x)
            continue;
        allocation.x = p.x;
        gtk_widget_size_allocate(widget, &allocation);
    }
}

void CBaseDialog::OnHelpClicked(GtkButton*, gpointer)
{
    StartHelpViewer(kHelpTopic);
}
