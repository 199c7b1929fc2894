#include "CUpdateInfoDlg.h"

#include "ScanBlockAnimation.h"
#include "VessmarRescan.h"

namespace {
constexpr guint kEscapeKey = 0xFF1B;
} // namespace

CUpdateInfoDlg::CUpdateInfoDlg(GtkWidget* parent)
{
    m_dialog = gtk_dialog_new();
    g_signal_connect(m_dialog, "key-press-event", G_CALLBACK(OnKeyPress), this);
    g_signal_connect(m_dialog, "delete_event", G_CALLBACK(OnDeleteEvent), this);
    g_signal_connect(m_dialog, "response", G_CALLBACK(OnResponse), this);

    GtkWindow* window = GTK_WINDOW(m_dialog);
    if (GdkPixbuf* icon = gdk_pixbuf_new_from_file("../res/main.png", nullptr)) {
        gtk_window_set_icon(window, icon);
        g_object_unref(icon);
    }
    gtk_window_set_title(window, kTitle);
    if (parent && GTK_IS_WINDOW(parent))
        gtk_window_set_transient_for(window, GTK_WINDOW(parent));
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_decorated(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);

    m_box = gtk_hbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(GTK_DIALOG(m_dialog)->vbox), m_box);
    gtk_widget_set_size_request(GTK_DIALOG(m_dialog)->action_area, 0, 0);
    m_picture = gtk_image_new_from_file(kPicture);
    gtk_box_pack_start(GTK_BOX(m_box), m_picture, FALSE, FALSE, 0);

    ClearScanEndFlag();
    m_blockX = kScanBlockStart;
}

CUpdateInfoDlg::~CUpdateInfoDlg()
{
    if (m_timeoutId)
        g_source_remove(m_timeoutId);
    DestroyDlg();
}

void CUpdateInfoDlg::RunDlg()
{
    if (!m_dialog)
        return;
    g_signal_connect(m_dialog, "show", G_CALLBACK(ShowWindow), this);
    gtk_widget_show_all(m_dialog);
    // The object may outlive the dialog only until this returns: the timeout
    // destroys the widget, which ends the run.
    gtk_dialog_run(GTK_DIALOG(m_dialog));
}

void CUpdateInfoDlg::DestroyDlg()
{
    if (!m_dialog)
        return;
    GtkWidget* dialog = m_dialog;
    m_dialog = nullptr;
    m_picture = nullptr;
    m_box = nullptr;
    gtk_widget_destroy(dialog);
}

void CUpdateInfoDlg::ShowWindow(GtkWidget*, gpointer self)
{
    CUpdateInfoDlg* dlg = static_cast<CUpdateInfoDlg*>(self);
    StartVessmarRescan();
    if (!dlg->m_timeoutId)
        dlg->m_timeoutId = g_timeout_add(kTickMs, TimeOutFun, dlg);
}

void CUpdateInfoDlg::PaintStep()
{
    if (!m_picture || !m_picture->window)
        return;
    const GtkAllocation& a = m_picture->allocation;
    const ScanStep step = NextScanStep(m_blockX, a.width);
    m_blockX = step.next;
    // The picture has no window of its own: its allocation is in its parent
    // window's coordinates.
    cairo_t* cr = gdk_cairo_create(m_picture->window);
    const double y = a.y + a.height - kScanBandFromBottom;
    for (const ScanFill& fill : step.fills) {
        switch (fill.colour) {
        case ScanColour::Trail:
            cairo_set_source_rgb(cr, 123.0 / 255, 170.0 / 255, 1.0);
            break;
        case ScanColour::Block:
            cairo_set_source_rgb(cr, 224.0 / 255, 235.0 / 255, 1.0);
            break;
        case ScanColour::Black:
            cairo_set_source_rgb(cr, 0, 0, 0);
            break;
        }
        cairo_rectangle(cr, a.x + fill.x, y, fill.width, kScanBandHeight);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
}

gboolean CUpdateInfoDlg::TimeOutFun(gpointer self)
{
    CUpdateInfoDlg* dlg = static_cast<CUpdateInfoDlg*>(self);
    dlg->PaintStep();
    if (!TakeScanEndFlag())
        return TRUE;
    dlg->m_timeoutId = 0;
    dlg->DestroyDlg();
    return FALSE;
}

gboolean CUpdateInfoDlg::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer)
{
    if (event->keyval != kEscapeKey)
        return FALSE;
    // Handled here, the key never reaches the dialog's own Escape binding (a response).
    return TRUE;
}

void CUpdateInfoDlg::OnResponse(GtkDialog* dialog, gint, gpointer)
{
    g_signal_stop_emission_by_name(dialog, "response");
}

gboolean CUpdateInfoDlg::OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer)
{
    return TRUE;
}
