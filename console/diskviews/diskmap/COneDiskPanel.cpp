#include "COneDiskPanel.h"

#include "DiskMapDrawing.h"
#include "ImageRowPlan.h"

COneDiskPanel::~COneDiskPanel()
{
    if (m_box == nullptr)
        return;
    // The header and the bar leave the row before they go.
    gtk_widget_destroy(m_box);
    g_object_unref(m_box);
    m_header.reset();
    m_bady.reset();
}

void COneDiskPanel::Assemble(bool fillBar)
{
    m_box = gtk_vbox_new(FALSE, 0);
    g_object_ref_sink(m_box);
    GtkWidget* space = gtk_event_box_new();
    gtk_widget_set_size_request(space, -1, 5);
    gtk_box_pack_start(GTK_BOX(m_box), space, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_header->GetHeader(), FALSE, TRUE, 0);
    // The outline is drawn on the row's window, where the strip's allocation lies.
    GtkWidget* strip = gtk_event_box_new();
    gtk_event_box_set_visible_window(GTK_EVENT_BOX(strip), FALSE);
    gtk_widget_set_size_request(strip, -1, 5);
    g_signal_connect(strip, "expose_event", G_CALLBACK(on_draw_dev_box), nullptr);
    gtk_box_pack_start(GTK_BOX(m_box), strip, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_bady->GetPanelBady(), TRUE, fillBar, 0);
}

void COneDiskPanel::InitOneDiskPanel(unsigned long long disk, int width)
{
    m_header.reset(new CPanelHeader);
    m_header->InitHeader(disk);
    m_bady.reset(new CPanelBady);
    m_bady->InitDiskPanelBady(disk, width);
    Assemble(false);
}

void COneDiskPanel::InitOneImagePanel(ITasque* command, _KS_VOLUME* records, int count, int disk, int width)
{
    m_header.reset(new CPanelHeader);
    m_header->InitImageHeader(static_cast<unsigned long long>(disk), ImageRowSectors(records, count, disk));
    m_bady.reset(new CPanelBady);
    m_bady->InitImagePanelBady(command, records, count, disk, width);
    Assemble(true);
}

void COneDiskPanel::InitOneVisualDiskPanel(unsigned long long disk, std::vector<TagRSPartitionInfo>& parts, int width,
                                           int minGap, int checkDisk)
{
    m_header.reset(new CPanelHeader);
    m_header->InitHeader(disk);
    m_bady.reset(new CPanelBady);
    m_bady->InitVisualDiskPanelBady(disk, parts, width, minGap, checkDisk);
    Assemble(false);
}

gboolean COneDiskPanel::on_draw_dev_box(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    const GtkAllocation& a = widget->allocation;
    DrawDevBoxOutline(cr, a.x, a.y, a.width, a.height);
    cairo_destroy(cr);
    return FALSE;
}
