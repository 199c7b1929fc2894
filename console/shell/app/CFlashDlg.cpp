#include "CFlashDlg.h"

#include "SplashProgress.h"

CFlashDlg::CFlashDlg(GtkWidget* parent)
{
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(m_window);
    if (GdkPixbuf* icon = gdk_pixbuf_new_from_file("../res/main16.ico", nullptr)) {
        gtk_window_set_icon(window, icon);
        g_object_unref(icon);
    }
    gtk_window_set_title(window, kTitle);
    if (parent && GTK_IS_WINDOW(parent))
        gtk_window_set_transient_for(window, GTK_WINDOW(parent));
    gtk_window_set_decorated(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);

    m_vbox = gtk_vbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(m_window), m_vbox);
    m_topPicture = gtk_image_new_from_file("../res/rv_linux_start.png");
    gtk_box_pack_start(GTK_BOX(m_vbox), m_topPicture, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_vbox), m_progress.GetWidget(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_vbox), gtk_image_new_from_file("../res/StartBottom.PNG"), FALSE, FALSE, 0);

    g_signal_connect(m_window, "show", G_CALLBACK(OnShowWindow), this);
    g_signal_connect(m_window, "delete_event", G_CALLBACK(OnDeleteEvent), this);
}

CFlashDlg::~CFlashDlg() = default;

void CFlashDlg::ShowDlg()
{
    gtk_widget_show_all(m_window);
}

void CFlashDlg::DestroyDlg()
{
    // The animation goes first: no tick may reach a destroyed bar.
    if (m_timeoutId) {
        g_source_remove(m_timeoutId);
        m_timeoutId = 0;
    }
    gtk_widget_destroy(m_window);
    m_window = nullptr;
    delete this;
}

void CFlashDlg::OnShowWindow(GtkWidget*, gpointer self)
{
    CFlashDlg* flash = static_cast<CFlashDlg*>(self);
    if (!flash->m_timeoutId)
        flash->m_timeoutId = g_timeout_add(kTickMs, OnTimeOutFun, flash);
}

gboolean CFlashDlg::OnTimeOutFun(gpointer self)
{
    CFlashDlg* flash = static_cast<CFlashDlg*>(self);
    flash->m_progress.SetPos(NextSplashFraction(flash->m_progress.GetPos()));
    return TRUE;
}

gboolean CFlashDlg::OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer)
{
    return TRUE;
}
