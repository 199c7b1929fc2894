#include "CWaitDlg.h"

CWaitDlg::CWaitDlg(GtkWidget* parent, bool mount)
{
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(m_window);
    gtk_window_set_decorated(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    GtkWidget* parentWindow = parent ? gtk_widget_get_toplevel(parent) : nullptr;
    if (parentWindow && GTK_IS_WINDOW(parentWindow))
        gtk_window_set_transient_for(window, GTK_WINDOW(parentWindow));
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    if (GdkPixbuf* icon = gdk_pixbuf_new_from_file("../res/main.png", nullptr)) {
        gtk_window_set_icon(window, icon);
        g_object_unref(icon);
    }
    m_box = gtk_vbox_new(FALSE, 0);
    m_picture = gtk_image_new_from_file(mount ? "../res/wait-mount.PNG" : "../res/wait-unmount.PNG");
    gtk_box_pack_start(GTK_BOX(m_box), m_picture, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(m_window), m_box);
}

void CWaitDlg::ShowDlg()
{
    gtk_widget_show_all(m_window);
}

void CWaitDlg::DestroyDlg()
{
    gtk_widget_destroy(m_window);
    delete this;
}
