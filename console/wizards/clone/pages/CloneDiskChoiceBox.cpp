#include "CloneDiskChoiceBox.h"

#include "CCloneDeviceList.h"
#include "CDiskPanel.h"
#include "CloneServices.h"

GtkWidget* BuildCloneDiskChoiceBox(const char* markup, CCloneDeviceList& list, ITargetPartitionList* owner,
                                   CDiskPanel& map, GtkWidget* legend)
{
    GtkWidget* box = gtk_vbox_new(FALSE, 0);
    gtk_widget_set_size_request(box, -1, 306);
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(label), markup);
    gtk_misc_set_alignment(GTK_MISC(label), 0, 0);
    gtk_box_pack_start(GTK_BOX(box), label, FALSE, FALSE, 5);
    list.InitDeviceList();
    list.SetRowChangedCallBack(owner);
    GtkWidget* rows = list.GetDeviceListWidgetInterface();
    gtk_widget_set_size_request(rows, -1, 200);
    gtk_box_pack_start(GTK_BOX(box), rows, FALSE, FALSE, 0);
    map.InitOneDiskPanel(0, kCloneMapMargin, kCloneMapWidth);
    gtk_box_pack_start(GTK_BOX(box), map.GetDiskPanel(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), legend, FALSE, FALSE, 10);
    return box;
}

ICensa* CloneCensaOr(ICensa* given)
{
    return given != nullptr ? given : CloneCensa();
}
