#include "CToolBarButton.h"

#include "BoundedText.h"
#include "ToolBarButtons.h"

CToolBarButton::CToolBarButton(const char* normal, const char* hover, const char* click, const char* disable)
    : m_normal(normal ? normal : ""), m_hover(hover ? hover : ""), m_click(click ? click : ""),
      m_disable(disable ? disable : "")
{
    m_eventBox = gtk_event_box_new();
    // Cleared by GObject when the window's tree destroys the box before this object.
    g_object_add_weak_pointer(G_OBJECT(m_eventBox), reinterpret_cast<gpointer*>(&m_eventBox));
    m_greyedForGood = IsGreyedForGoodPicture(m_normal.c_str());
    m_shown = m_greyedForGood ? m_disable : m_normal;
    m_image = gtk_image_new_from_file(m_shown.c_str());
    gtk_container_add(GTK_CONTAINER(m_eventBox), m_image);
    if (m_greyedForGood)
        return;
    g_signal_connect(m_eventBox, "button_release_event", G_CALLBACK(OnButtonRelease), this);
    g_signal_connect(m_eventBox, "button_press_event", G_CALLBACK(OnButtonPress), this);
    g_signal_connect(m_eventBox, "enter_notify_event", G_CALLBACK(OnButtonEnter), this);
    g_signal_connect(m_eventBox, "leave_notify_event", G_CALLBACK(OnButtonLeave), this);
}

CToolBarButton::~CToolBarButton()
{
    // The widgets belong to the window's tree; only our handlers must go, in case
    // the tree outlives this object.
    if (!m_eventBox)
        return;
    g_object_remove_weak_pointer(G_OBJECT(m_eventBox), reinterpret_cast<gpointer*>(&m_eventBox));
    g_signal_handlers_disconnect_matched(m_eventBox, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
}

void CToolBarButton::SetBtnImage(const char* path)
{
    m_shown = path ? path : "";
    gtk_image_set_from_file(GTK_IMAGE(m_image), m_shown.c_str());
    gtk_widget_show(m_image);
}

void CToolBarButton::SetBtnSensitive(int sensitive)
{
    m_sensitive = sensitive;
    m_state.SetSensitive(sensitive != 0);
    SetBtnImage(sensitive ? m_normal.c_str() : m_disable.c_str());
}

void CToolBarButton::SetTip(const char* text)
{
    CopyBoundedText(m_tip, text);
}

void CToolBarButton::SetStatusText(const char* text)
{
    CopyBoundedText(m_statusText, text);
}

gboolean CToolBarButton::Apply(const ButtonReaction& reaction)
{
    switch (reaction.picture) {
    case ButtonPicture::Unchanged:
        break;
    case ButtonPicture::Normal:
        SetBtnImage(m_normal.c_str());
        break;
    case ButtonPicture::Hover:
        SetBtnImage(m_hover.c_str());
        break;
    case ButtonPicture::Click:
        SetBtnImage(m_click.c_str());
        break;
    case ButtonPicture::Disable:
        SetBtnImage(m_disable.c_str());
        break;
    }
    return reaction.stop ? TRUE : FALSE;
}

gboolean CToolBarButton::OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer self)
{
    CToolBarButton* button = static_cast<CToolBarButton*>(self);
    // Double and triple clicks arrive as extra press events; they are not new presses.
    if (event->type != GDK_BUTTON_PRESS)
        return button->m_state.Sensitive() ? FALSE : TRUE;
    return button->Apply(button->m_state.OnPress(event->button));
}

gboolean CToolBarButton::OnButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer self)
{
    CToolBarButton* button = static_cast<CToolBarButton*>(self);
    int px = -1;
    int py = -1;
    if (widget->window)
        gdk_window_get_pointer(widget->window, &px, &py, nullptr);
    const bool inside = PointerInsideButton(widget->allocation.width, widget->allocation.height, px, py);
    return button->Apply(button->m_state.OnRelease(event->button, inside));
}

gboolean CToolBarButton::OnButtonEnter(GtkWidget*, GdkEventCrossing*, gpointer self)
{
    CToolBarButton* button = static_cast<CToolBarButton*>(self);
    return button->Apply(button->m_state.OnEnter());
}

gboolean CToolBarButton::OnButtonLeave(GtkWidget*, GdkEventCrossing*, gpointer self)
{
    CToolBarButton* button = static_cast<CToolBarButton*>(self);
    return button->Apply(button->m_state.OnLeave());
}
