#include "CGtkMessageBox.h"

CGtkMessageBox::CGtkMessageBox(GtkWidget* parent, const char* title, GTK_MB_ICON_TYPE icon, GTK_MB_TYPE type,
                               const char* text)
    : CBaseDialog(parent, title, -1, -1)
{
    if (!m_dialog)
        return;
    GtkWidget* vbox = gtk_vbox_new(FALSE, 0);
    gtk_container_set_border_width(GTK_CONTAINER(vbox), 10);
    GtkWidget* hbox = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(vbox), hbox, TRUE, TRUE, 0);

    const char* picture = MessageBoxIconPicture(icon);
    GtkWidget* image = picture ? gtk_image_new_from_file(picture) : gtk_image_new();
    gtk_box_pack_start(GTK_BOX(hbox), image, FALSE, TRUE, 20);

    // Shown as it is: an underscore in a file name such as "my_backup.rvd" stays.
    m_label = gtk_label_new(text ? text : "");
    gtk_misc_set_alignment(GTK_MISC(m_label), 0.1f, 0.5f);
    gtk_label_set_line_wrap(GTK_LABEL(m_label), TRUE);
    gtk_box_pack_start(GTK_BOX(hbox), m_label, TRUE, TRUE, 20);

    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(m_dialog)->vbox), vbox, TRUE, TRUE, 0);

    for (const MessageBoxButton& button : MessageBoxButtons(type))
        AddButton(button.label, button.result);
}
