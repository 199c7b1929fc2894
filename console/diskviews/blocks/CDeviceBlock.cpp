#include "CDeviceBlock.h"

#include <algorithm>
#include <cstring>

#include "BlockDisplayLabel.h"
#include "BlockDrawing.h"
#include "ITasque.h"

namespace {

constexpr int kBlockHeight = 40;
constexpr int kGapWidth = 1;
constexpr int kBarWidth = 5;

// The block keeps a reference of its own on each part, so that it can still reach
// them once a destroyed row has let them go.
GtkWidget* NewPart(GtkWidget* row, gboolean expand)
{
    GtkWidget* box = gtk_event_box_new();
    gtk_box_pack_start(GTK_BOX(row), box, expand, TRUE, 0);
    g_object_ref(box);
    return box;
}

cairo_t* CairoOf(GtkWidget* widget)
{
    return gdk_cairo_create(widget->window);
}

} // namespace

CDeviceBlock::CDeviceBlock(ITasque* command, int width, __PARTITION_INFO_CMD record, int disk, int checkDisk)
{
    m_look.record = record;
    if (checkDisk != 0)
        TestDisk(command, disk);
    InitDeviceBlock(width);
}

CDeviceBlock::~CDeviceBlock()
{
    // The widgets may outlive the block inside a row that is still shown: they must
    // not call back into a block that is gone.
    for (GtkWidget* part : {m_leftGap, m_leftBar, m_body, m_rightBar, m_rightGap}) {
        if (part != nullptr) {
            g_signal_handlers_disconnect_by_data(part, this);
            g_object_unref(part);
        }
    }
    if (m_row != nullptr)
        g_object_unref(m_row);
}

void CDeviceBlock::TestDisk(ITasque* command, int disk)
{
    if (command == nullptr)
        return;
    _KS_DISK_INFO info;
    std::memset(&info, 0, sizeof(info));
    command->EnumGetDiskInfo(static_cast<unsigned long long>(disk), &info);
    DeviceBlockLook tested = MakeBlockLook(m_look.record);
    if (IsDynamicOrGpt(info)) {
        MarkDynamicOrGpt(tested, info);
    } else {
        const unsigned long long start = m_look.record.StartSector;
        const unsigned long long total = m_look.record.SectorCount;
        if (command->IsBadDisk(static_cast<uint8_t>(disk & 0xFF), start, start + total - 1) != 0)
            MarkBadDisk(tested);
    }
    m_look.record = tested.record;
    m_look.wholeDisk = tested.wholeDisk;
}

void CDeviceBlock::InitDeviceBlock(int width)
{
    const bool wholeDisk = m_look.wholeDisk;
    m_look = MakeBlockLook(m_look.record);
    m_look.wholeDisk = wholeDisk;
    if (m_row != nullptr)
        return; // the widgets are built once
    m_row = gtk_hbox_new(FALSE, 0);
    g_object_ref_sink(m_row);
    m_leftGap = NewPart(m_row, FALSE);
    m_leftBar = NewPart(m_row, FALSE);
    m_body = NewPart(m_row, TRUE);
    m_rightBar = NewPart(m_row, FALSE);
    m_rightGap = NewPart(m_row, FALSE);
    g_signal_connect(m_leftBar, "expose_event", G_CALLBACK(on_draw_bar), this);
    g_signal_connect(m_rightBar, "expose_event", G_CALLBACK(on_draw_bar), this);
    g_signal_connect(m_body, "expose_event", G_CALLBACK(on_draw_partition), this);
    g_signal_connect(m_leftGap, "expose_event", G_CALLBACK(on_draw_Unallocated), this);
    g_signal_connect(m_rightGap, "expose_event", G_CALLBACK(on_draw_Unallocated), this);
    m_length = width;
}

void CDeviceBlock::SetBlockLength(int len)
{
    m_length = len;
    gtk_widget_set_size_request(m_leftGap, kGapWidth, kBlockHeight);
    gtk_widget_set_size_request(m_rightGap, kGapWidth, kBlockHeight);
    gtk_widget_set_size_request(m_leftBar, kBarWidth, kBlockHeight);
    gtk_widget_set_size_request(m_rightBar, kBarWidth, kBlockHeight);
    // A block narrower than its gaps and bars keeps a body of no width, never a
    // negative request (which GTK reads as "no request").
    gtk_widget_set_size_request(m_body, std::max(0, len - 2 * (kGapWidth + kBarWidth)), kBlockHeight);
}

void CDeviceBlock::SetFileSystemColor(cairo_t* cr, GtkWidget* widget)
{
    DrawBlockBar(cr, widget->allocation.width, widget->allocation.height, m_look);
}

gboolean CDeviceBlock::on_draw_bar(GtkWidget* widget, GdkEventExpose*, gpointer self)
{
    cairo_t* cr = CairoOf(widget);
    static_cast<CDeviceBlock*>(self)->SetFileSystemColor(cr, widget);
    cairo_destroy(cr);
    return TRUE;
}

gboolean CDeviceBlock::on_draw_partition(GtkWidget* widget, GdkEventExpose*, gpointer self)
{
    const CDeviceBlock* block = static_cast<CDeviceBlock*>(self);
    const int width = widget->allocation.width;
    cairo_t* cr = CairoOf(widget);
    DrawBlockBody(cr, width, widget->allocation.height, block->m_look, BlockDisplayLabel(block->m_look, width));
    cairo_destroy(cr);
    return TRUE;
}

gboolean CDeviceBlock::on_draw_Unallocated(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = CairoOf(widget);
    DrawBlockGap(cr, widget->allocation.width, widget->allocation.height);
    cairo_destroy(cr);
    return TRUE;
}
