#include "CDiskPanel.h"

namespace {

constexpr int kRowFrame = 8;

GtkWidget* MarginBox(int margin)
{
    GtkWidget* box = gtk_vbox_new(FALSE, 0);
    gtk_widget_set_size_request(box, margin, -1);
    return box;
}

} // namespace

CDiskPanel::CDiskPanel()
{
    m_outer = gtk_hbox_new(FALSE, 0);
    g_object_ref_sink(m_outer);
    m_inner = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_outer), m_inner, TRUE, TRUE, 0);
}

CDiskPanel::~CDiskPanel()
{
    m_row.reset();
    g_object_unref(m_outer);
}

void CDiskPanel::Rebuild()
{
    m_row.reset();
    if (m_inner != nullptr)
        gtk_widget_destroy(m_inner);
    m_inner = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_outer), m_inner, TRUE, TRUE, 0);
    m_row.reset(new COneDiskPanel);
}

void CDiskPanel::PackRow(int margin)
{
    gtk_box_pack_start(GTK_BOX(m_inner), MarginBox(margin), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_inner), m_row->GetOneDiskPanel(), FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_inner), MarginBox(margin), TRUE, TRUE, 0);
    gtk_widget_show_all(m_outer);
}

void CDiskPanel::InitOneDiskPanel(unsigned long long disk, int margin, int total)
{
    Rebuild();
    m_row->InitOneDiskPanel(disk, total - 2 * margin - kRowFrame);
    PackRow(margin);
}

void CDiskPanel::InitOneVisualDiskPanel(unsigned long long disk, std::vector<TagRSPartitionInfo>& parts, int margin,
                                        int total, int minGap, int checkDisk)
{
    Rebuild();
    m_row->InitOneVisualDiskPanel(disk, parts, total - 2 * margin - kRowFrame, minGap, checkDisk);
    PackRow(margin);
}
