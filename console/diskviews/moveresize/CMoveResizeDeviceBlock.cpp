#include "CMoveResizeDeviceBlock.h"

#include "StripDrawing.h"

namespace {
GtkWidget* NewMoveResizeBlock(CMoveResizeDeviceBlock* self, bool interactive, GCallback expose, GCallback press,
                              GCallback release, GCallback motion, GCallback enter, GCallback leave)
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
        if (enter != nullptr) {
            g_signal_connect(box, "enter_notify_event", enter, self);
            g_signal_connect(box, "leave_notify_event", leave, self);
        }
    }
    return box;
}

void DestroyChildren(GtkWidget* container)
{
    GList* children = gtk_container_get_children(GTK_CONTAINER(container));
    for (GList* c = children; c != nullptr; c = c->next)
        gtk_widget_destroy(GTK_WIDGET(c->data));
    g_list_free(children);
}
}  // namespace

CMoveResizeDeviceBlock::CMoveResizeDeviceBlock() : m_box(gtk_hbox_new(FALSE, 0))
{
    g_object_ref_sink(m_box);
}

CMoveResizeDeviceBlock::~CMoveResizeDeviceBlock()
{
    ForgetParent();
    gtk_widget_destroy(m_box);
    g_object_unref(m_box);
}

void CMoveResizeDeviceBlock::InitPartitionBlock()
{
    if (m_leftBar != nullptr)
        return;  // built already
    DestroyChildren(m_box);
    const GCallback expose = G_CALLBACK(OnExpose), press = G_CALLBACK(OnButtonPress),
                    release = G_CALLBACK(OnButtonRelease), motion = G_CALLBACK(OnMotionNotify),
                    enter = G_CALLBACK(OnEnter), leave = G_CALLBACK(OnLeave);
    m_leftFree = NewMoveResizeBlock(this, false, expose, press, release, motion, enter, leave);
    m_leftBar = NewMoveResizeBlock(this, true, expose, press, release, motion, enter, leave);
    m_main = NewMoveResizeBlock(this, true, expose, press, release, motion, enter, leave);
    m_rightBar = NewMoveResizeBlock(this, true, expose, press, release, motion, enter, leave);
    m_rightFree = NewMoveResizeBlock(this, false, expose, press, release, motion, enter, leave);
    gtk_box_pack_start(GTK_BOX(m_box), m_leftFree, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_leftBar, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_main, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_rightBar, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_rightFree, FALSE, TRUE, 0);
}

void CMoveResizeDeviceBlock::InitUnallocateBlock()
{
    if (m_main != nullptr && m_leftBar == nullptr)
        return;  // built already
    DestroyChildren(m_box);
    m_leftFree = m_leftBar = m_rightBar = m_rightFree = nullptr;
    m_main = NewMoveResizeBlock(this, true, G_CALLBACK(OnExpose), G_CALLBACK(OnButtonPress),
                                G_CALLBACK(OnButtonRelease), G_CALLBACK(OnMotionNotify), nullptr, nullptr);
    gtk_box_pack_start(GTK_BOX(m_box), m_main, TRUE, TRUE, 0);
}

void CMoveResizeDeviceBlock::ForgetParent()
{
    if (m_parent == nullptr)
        return;
    g_signal_handler_disconnect(m_parent, m_parentExpose);
    g_object_remove_weak_pointer(G_OBJECT(m_parent), reinterpret_cast<gpointer*>(&m_parent));
    m_parent = nullptr;
}

void CMoveResizeDeviceBlock::SetParentWnd(GtkWidget* parent)
{
    ForgetParent();
    if (parent == nullptr)
        return;
    // The parent may go first: the weak pointer then clears itself, and a block that
    // goes first takes its handler along.
    m_parent = parent;
    g_object_add_weak_pointer(G_OBJECT(m_parent), reinterpret_cast<gpointer*>(&m_parent));
    m_parentExpose = g_signal_connect(parent, "expose_event", G_CALLBACK(OnExpose), this);
}

MOVERESIZE_MANAGER_PARAM CMoveResizeDeviceBlock::GetMMP()
{
    if (m_manager != nullptr)
        m_manager->GetOutParam(m_param);
    return m_param;
}

void CMoveResizeDeviceBlock::ApplyWidths(int height)
{
    if (m_leftFree != nullptr) {
        gtk_widget_set_size_request(m_leftFree, m_widths.leftFree, height);
        gtk_widget_set_visible(m_leftFree, m_widths.leftFree > 0);
    }
    if (m_rightFree != nullptr) {
        gtk_widget_set_size_request(m_rightFree, m_widths.rightFree, height);
        gtk_widget_set_visible(m_rightFree, m_widths.rightFree > 0);
    }
    if (m_main != nullptr)
        gtk_widget_set_size_request(m_main, m_widths.main, height);
    UpdateDeviceBlock();
}

void CMoveResizeDeviceBlock::SetTooltip(const std::string& text)
{
    m_tooltip = text;
    if (m_main != nullptr)
        gtk_widget_set_tooltip_text(m_main, text.c_str());
}

void CMoveResizeDeviceBlock::UpdateDeviceBlock()
{
    gtk_widget_queue_draw(m_box);
}

void CMoveResizeDeviceBlock::AfreshDraw(GtkWidget* widget)
{
    if (widget != nullptr)
        gtk_widget_queue_draw(widget);
}

void CMoveResizeDeviceBlock::Draw(GtkWidget* widget)
{
    if (widget->window == nullptr)
        return;
    cairo_t* cr = gdk_cairo_create(widget->window);
    const int w = widget->allocation.width, h = widget->allocation.height;
    const long sizeMB = static_cast<long>(m_size);
    if (widget == m_leftFree || widget == m_rightFree)
        DrawFreeBlock(cr, w, h);
    else if (widget == m_leftBar)
        DrawBar(cr, w, h, m_fileSystem, "../res/leftbar.png");
    else if (widget == m_rightBar)
        DrawBar(cr, w, h, m_fileSystem, "../res/rightbar.png");
    else if (widget == m_main && m_improper != ImproperDiskKind::None)
        DrawImproperDisk(cr, w, h, ImproperDiskTitle(m_improper));
    else if (widget == m_main && !m_isPartition)
        DrawUnallocatedBlock(cr, w, h, m_active, sizeMB);
    else if (widget == m_main)
        DrawMainBlock(cr, w, h, m_fileSystem, m_usedRatio, sizeMB, m_fileSystemName,
                      !(m_activeFatCap && m_size > kActiveFatCapMB));
    cairo_destroy(cr);
}

gboolean CMoveResizeDeviceBlock::OnExpose(GtkWidget* widget, GdkEventExpose*, gpointer data)
{
    CMoveResizeDeviceBlock* self = static_cast<CMoveResizeDeviceBlock*>(data);
    if (widget == self->m_parent)
        return FALSE;  // the parent draws itself; its children follow
    self->Draw(widget);
    return TRUE;
}

gboolean CMoveResizeDeviceBlock::OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer data)
{
    static_cast<CMoveResizeDeviceBlock*>(data)->OnPress(widget, static_cast<int>(event->x_root));
    return TRUE;
}

gboolean CMoveResizeDeviceBlock::OnButtonRelease(GtkWidget*, GdkEventButton* event, gpointer data)
{
    static_cast<CMoveResizeDeviceBlock*>(data)->OnRelease(event->button);
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
    const GdkCursorType type = !self->m_active           ? GDK_HAND2
                               : widget == self->m_main ? GDK_FLEUR
                                                        : GDK_SB_H_DOUBLE_ARROW;
    GdkCursor* cursor = gdk_cursor_new(type);
    gdk_window_set_cursor(widget->window, cursor);
    gdk_cursor_unref(cursor);
    return FALSE;
}

gboolean CMoveResizeDeviceBlock::OnLeave(GtkWidget* widget, GdkEventCrossing*, gpointer)
{
    if (widget->window != nullptr)
        gdk_window_set_cursor(widget->window, nullptr);
    return FALSE;
}
