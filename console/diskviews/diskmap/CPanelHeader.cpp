#include "CPanelHeader.h"

#include <cstring>

#include "DiskHeaderText.h"
#include "DiskMapDrawing.h"

CPanelHeader::~CPanelHeader()
{
    if (m_box == nullptr)
        return;
    g_signal_handlers_disconnect_by_data(m_box, this);
    g_object_unref(m_box);
}

void CPanelHeader::Build(unsigned long long disk)
{
    if (m_box == nullptr) {
        m_box = gtk_event_box_new();
        g_object_ref_sink(m_box);
        g_signal_connect(m_box, "expose_event", G_CALLBACK(on_draw_disk_header), this);
        gtk_widget_set_size_request(m_box, -1, 20);
    }
    std::memset(&m_disk, 0, sizeof(m_disk));
    m_number = disk + 1;
}

void CPanelHeader::InitHeader(unsigned long long disk)
{
    Build(disk);
    m_censa = CreateCensaObj();
    if (m_censa != nullptr)
        m_censa->GetDiskInfo(disk, &m_disk);
}

void CPanelHeader::InitImageHeader(unsigned long long disk, unsigned long long sectors)
{
    Build(disk);
    m_disk.TotalSectors = sectors;
}

std::string CPanelHeader::Text() const
{
    return DiskHeaderText(m_number, m_disk.TotalSectors);
}

gboolean CPanelHeader::on_draw_disk_header(GtkWidget* widget, GdkEventExpose*, gpointer self)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    DrawDiskHeader(cr, widget->allocation.width, widget->allocation.height, static_cast<CPanelHeader*>(self)->Text());
    cairo_destroy(cr);
    return TRUE;
}
