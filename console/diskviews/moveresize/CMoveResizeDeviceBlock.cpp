#include "CMoveResizeDeviceBlock.h"

#include <algorithm>

#include "ItemQuery.h"
#include "StripDrawing.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"

namespace {
// Keeps the used rectangle and its closing line visible.
const int kMinimumMainWidth = 12;

bool IsLinuxType(unsigned int type)
{
    return type == 0x82 || type == 0x83 || type == 0x85 || type == 0x8E || type == 0x92 || type == 0x93;
}

GtkWidget* NewBlock(CMoveResizeDeviceBlock* self, bool interactive, GCallback expose, GCallback press,
                    GCallback release, GCallback motion, GCallback enter)
{
    GtkWidget* box = gtk_event_box_new();
    gtk_widget_set_app_paintable(box, TRUE);
    g_signal_connect(box, "expose_event", expose, self);
    if (interactive) {
        gtk_widget_add_events(box, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                       GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK);
        g_signal_connect(box, "button_press_event", press, self);
        g_signal_connect(box, "button_release_event", release, self);
        g_signal_connect(box, "motion-notify-event", motion, self);
        g_signal_connect(box, "enter_notify_event", enter, self);
    }
    return box;
}
}  // namespace

CMoveResizeDeviceBlock::CMoveResizeDeviceBlock()
{
    m_box = gtk_hbox_new(FALSE, 0);
    g_object_ref_sink(m_box);
    const GCallback expose = G_CALLBACK(OnExpose), press = G_CALLBACK(OnButtonPress),
                    release = G_CALLBACK(OnButtonRelease), motion = G_CALLBACK(OnMotionNotify),
                    enter = G_CALLBACK(OnEnter);
    m_leftFree = NewBlock(this, false, expose, press, release, motion, enter);
    m_leftBar = NewBlock(this, true, expose, press, release, motion, enter);
    m_main = NewBlock(this, true, expose, press, release, motion, enter);
    m_rightBar = NewBlock(this, true, expose, press, release, motion, enter);
    m_rightFree = NewBlock(this, false, expose, press, release, motion, enter);
    gtk_box_pack_start(GTK_BOX(m_box), m_leftFree, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_leftBar, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_main, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_rightBar, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_rightFree, FALSE, TRUE, 0);
}

CMoveResizeDeviceBlock::~CMoveResizeDeviceBlock()
{
    gtk_widget_destroy(m_box);
    g_object_unref(m_box);
}

MOVERESIZE_MANAGER_PARAM CMoveResizeDeviceBlock::GetMMP()
{
    if (m_manager != nullptr)
        m_manager->GetOutParam(m_param);
    return m_param;
}

void CMoveResizeDeviceBlock::InitMoveResizeDlg(IManagerItem* item)
{
    GetMMP();
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    if (entry == nullptr)
        return;
    m_active = true;
    IFileSystemPartition* fs = QueryItem<IFileSystemPartition>(item);
    m_fileSystem = fs != nullptr ? fs->GetFileSystemType() : FILE_SYSTEM_OTHER;
    if (m_fileSystem == FILE_SYSTEM_OTHER && IsLinuxType(entry->GetPartitionType()))
        m_fileSystem = FILE_SYSTEM_FOREIGN4;  // shown, never resized
    const std::string name = StripFileSystemName(m_fileSystem);
    if (!name.empty())
        m_fileSystemName = name;
    if (m_manager != nullptr) {
        if (m_fileSystem == FILE_SYSTEM_NTFS)
            m_manager->GetNtfsMinAndMaxSize(m_smallest, m_largest);
        else if (m_fileSystem == FILE_SYSTEM_FAT16 || m_fileSystem == FILE_SYSTEM_FAT32)
            m_manager->GetFatMinAndMaxSize(m_smallest, m_largest);
    }
    IFileSystemPartitionExtendInfo* info = QueryItem<IFileSystemPartitionExtendInfo>(item);
    const double usedMB = info != nullptr ? info->GetUsedSectors() / 2048.0 : 0;
    m_usedRatio = m_param.dCurSize > 0 ? std::min(1.0, std::max(m_smallest, usedMB) / m_param.dCurSize) : 1.0;
    gtk_widget_set_size_request(m_leftBar, kStripBarWidth, kStripHeight);
    gtk_widget_set_size_request(m_rightBar, kStripBarWidth, kStripHeight);
}

void CMoveResizeDeviceBlock::SetMoveReSizeDlgBlockSize(int)
{
    const MOVERESIZE_MANAGER_PARAM p = GetMMP();
    SetMainWindowBlockLength(p.dPreSize, p.dCurSize, p.dNextSize);
}

void CMoveResizeDeviceBlock::SetMainWindowBlockLength(double before, double size, double after)
{
    m_pixelSize = StripPixelSize(before, size, after);
    m_widths = StripWidthsFor(before, size, after, kMinimumMainWidth);
    ApplyWidths();
}

void CMoveResizeDeviceBlock::ApplyWidths()
{
    gtk_widget_set_size_request(m_leftFree, m_widths.leftFree, kStripHeight);
    gtk_widget_set_size_request(m_main, m_widths.main, kStripHeight);
    gtk_widget_set_size_request(m_rightFree, m_widths.rightFree, kStripHeight);
    gtk_widget_set_visible(m_leftFree, m_widths.leftFree > 0);
    gtk_widget_set_visible(m_rightFree, m_widths.rightFree > 0);
    gtk_widget_queue_draw(m_box);
}

void CMoveResizeDeviceBlock::OnPress(GtkWidget* widget, int rootX)
{
    m_pressX = rootX;
    m_moved = false;
    m_dragMiddle = widget == m_main;
    m_dragLeftBar = widget == m_leftBar;
    m_dragRightBar = widget == m_rightBar;
    GetMMP();
}

void CMoveResizeDeviceBlock::OnMotion(int rootX)
{
    if (!m_active || m_manager == nullptr)
        return;
    const int dx = rootX - m_pressX;
    const MOVERESIZE_MANAGER_PARAM p = GetMMP();
    if (m_dragMiddle) {
        MiddleStep step;
        if (!MiddleDragStep(m_widths, dx, m_pixelSize, p.dPreSize + p.dCurSize + p.dNextSize, p.dCurSize, step))
            return;
        const bool accepted = step.toRight ? m_manager->IfPrePartitionCanAdded(step.newBefore)
                                           : m_manager->IfPrePartitionCanReduced(step.newBefore);
        if (!accepted)
            return;
        m_widths = step.widths;
    } else if (m_dragLeftBar || m_dragRightBar) {
        if (m_fileSystem == FILE_SYSTEM_FOREIGN4 || m_fileSystem == FILE_SYSTEM_FOREIGN5 ||
            m_fileSystem == FILE_SYSTEM_OTHER || m_fileSystem > FILE_SYSTEM_OTHER)
            return;
        BarStep step;
        if (!BarDragStep(m_widths, m_dragRightBar, dx, m_pixelSize, p.dCurSize, m_smallest, kMinimumMainWidth, step))
            return;
        bool accepted;
        if (m_dragRightBar)
            accepted = step.grow ? m_manager->IfCurPartitionCanAdded(step.newSize, true, false)
                                 : m_manager->IfCurPartitionCanReduced(step.newSize, true, true);
        else
            accepted = step.grow ? m_manager->IfCurPartitionCanAdded(step.newSize, true, true)
                                 : m_manager->IfCurPartitionCanReduced(step.newSize, true, false);
        if (!accepted)
            return;
        m_widths = step.widths;
    } else {
        return;
    }
    m_moved = true;
    m_pressX = rootX;
    m_manager->UpdateUi(false, true);
    ApplyWidths();
}

void CMoveResizeDeviceBlock::OnRelease()
{
    if (m_moved && m_manager != nullptr) {
        GetMMP();
        m_manager->UpdateUi(true, false);
        if (m_manager->IfNeedCorrectPartitionSize())
            m_manager->UpdateUiWithCorrectedValue();
    }
    m_dragMiddle = m_dragLeftBar = m_dragRightBar = false;
}

gboolean CMoveResizeDeviceBlock::OnExpose(GtkWidget* widget, GdkEventExpose*, gpointer data)
{
    CMoveResizeDeviceBlock* self = static_cast<CMoveResizeDeviceBlock*>(data);
    cairo_t* cr = gdk_cairo_create(widget->window);
    const int w = widget->allocation.width, h = widget->allocation.height;
    if (widget == self->m_leftFree || widget == self->m_rightFree)
        DrawFreeBlock(cr, w, h);
    else if (widget == self->m_leftBar)
        DrawBar(cr, w, h, self->m_fileSystem, "../res/leftbar.png");
    else if (widget == self->m_rightBar)
        DrawBar(cr, w, h, self->m_fileSystem, "../res/rightbar.png");
    else
        DrawMainBlock(cr, w, h, self->m_fileSystem, self->m_usedRatio, static_cast<long>(self->m_param.dCurSize),
                      self->m_fileSystemName);
    cairo_destroy(cr);
    return TRUE;
}

gboolean CMoveResizeDeviceBlock::OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer data)
{
    static_cast<CMoveResizeDeviceBlock*>(data)->OnPress(widget, static_cast<int>(event->x_root));
    return TRUE;
}

gboolean CMoveResizeDeviceBlock::OnButtonRelease(GtkWidget*, GdkEventButton*, gpointer data)
{
    static_cast<CMoveResizeDeviceBlock*>(data)->OnRelease();
    return TRUE;
}

gboolean CMoveResizeDeviceBlock::OnMotionNotify(GtkWidget*, GdkEventMotion* event, gpointer data)
{
    static_cast<CMoveResizeDeviceBlock*>(data)->OnMotion(static_cast<int>(event->x_root));
    return TRUE;
}

gboolean CMoveResizeDeviceBlock::OnEnter(GtkWidget* widget, GdkEventCrossing*, gpointer data)
{
    CMoveResizeDeviceBlock* self = static_cast<CMoveResizeDeviceBlock*>(data);
    GdkCursorType type = !self->m_active ? GDK_HAND2 : widget == self->m_main ? GDK_FLEUR : GDK_SB_H_DOUBLE_ARROW;
    GdkCursor* cursor = gdk_cursor_new(type);
    gdk_window_set_cursor(widget->window, cursor);
    gdk_cursor_unref(cursor);
    return FALSE;
}
