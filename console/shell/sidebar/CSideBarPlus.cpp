#include "CSideBarPlus.h"

#include "CHelpViewerLauncher.h"
#include "COperationLauncher.h"
#include "SideBarColours.h"

CSideBarPlus::CSideBarPlus()
{
    const GdkColor green = PanelGreen();
    const GdkColor strip = SideBarStripColour();
    m_eventBox = gtk_event_box_new();
    g_object_add_weak_pointer(G_OBJECT(m_eventBox), reinterpret_cast<gpointer*>(&m_eventBox));
    gtk_widget_modify_bg(m_eventBox, GTK_STATE_NORMAL, &green);
    m_hbox = gtk_hbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(m_eventBox), m_hbox);
    GtkWidget* panels = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(panels), m_operations, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(panels), m_help, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_hbox), panels, FALSE, FALSE, 0);
    m_strip = gtk_event_box_new();
    gtk_widget_modify_bg(m_strip, GTK_STATE_NORMAL, &strip);
    gtk_widget_set_size_request(m_strip, kStripWidth, -1);
    gtk_box_pack_start(GTK_BOX(m_hbox), m_strip, FALSE, FALSE, 0);

    const char* const* heads = OperationHeadPictures();
    m_operations.SetHead(heads[0], heads[1], heads[2], heads[3], heads[4], heads[5]);
    for (int row = 0; row < kRowCount; ++row) {
        const SideBarRowPictures& entry = OperationRow(row);
        m_operations.AddItem(entry.normal, entry.hover, entry.pressed, entry.disabledPicture, entry.disabled);
    }
    m_operations.SetFooter(kPanelFooter);

    const char* const* helpHeads = HelpHeadPictures();
    m_help.SetHead(helpHeads[0], helpHeads[1], helpHeads[2], helpHeads[3], helpHeads[4], helpHeads[5]);
    const SideBarRowPictures& help = HelpRow();
    m_help.AddItem(help.normal, help.hover, help.pressed, help.disabledPicture, help.disabled);
    m_help.SetFooter(kPanelFooter);

    // After the rows' own handlers, which mark the row pressed and take the focus.
    for (int row = 0; row < kRowCount; ++row) {
        m_bindings.emplace_back(new RowBinding{this, row});
        GtkWidget* area = m_operations.GetItem(row);
        g_signal_connect(area, "button-press-event", G_CALLBACK(OnOperationRowPress), m_bindings.back().get());
        g_signal_connect(area, "key-press-event", G_CALLBACK(OnOperationRowKey), m_bindings.back().get());
    }
    m_bindings.emplace_back(new RowBinding{this, -1});
    g_signal_connect(m_help.GetItem(0), "button_release_event", G_CALLBACK(OnHelpRowRelease),
                     m_bindings.back().get());
    g_signal_connect(m_help.GetItem(0), "key-press-event", G_CALLBACK(OnHelpRowKey), m_bindings.back().get());
}

CSideBarPlus::~CSideBarPlus()
{
    if (!m_eventBox)
        return;
    for (const auto& binding : m_bindings) {
        GtkWidget* area = binding->row < 0 ? m_help.GetItem(0) : m_operations.GetItem(binding->row);
        if (area)
            g_signal_handlers_disconnect_matched(area, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, binding.get());
    }
    g_object_remove_weak_pointer(G_OBJECT(m_eventBox), reinterpret_cast<gpointer*>(&m_eventBox));
}

void CSideBarPlus::SetPartitionSchemeName(tagSCHEME_INFO) {}

void CSideBarPlus::Start(RowStart start)
{
    COperationLauncher& launcher = COperationLauncher::Instance();
    switch (start) {
    case RowStart::CheckImage: launcher.StartCheckImage(m_parent); break;
    case RowStart::CheckImageWizardOnly: launcher.OpenCheckImageWizard(m_parent); break;
    case RowStart::Restore: launcher.StartRestore(m_parent); break;
    case RowStart::Clone: launcher.StartClone(m_parent); break;
    case RowStart::Help: StartHelpViewer(kSideBarHelpTopic); break;
    case RowStart::None: break;
    }
}

gboolean CSideBarPlus::OnOperationRowPress(GtkWidget*, GdkEventButton* event, gpointer data)
{
    RowBinding* binding = static_cast<RowBinding*>(data);
    const RowReaction reaction = OperationRowPress(binding->row, event->button);
    binding->bar->Start(reaction.start);
    return reaction.handled ? TRUE : FALSE;
}

gboolean CSideBarPlus::OnOperationRowKey(GtkWidget*, GdkEventKey* event, gpointer data)
{
    RowBinding* binding = static_cast<RowBinding*>(data);
    const RowReaction reaction = OperationRowKey(binding->row, event->keyval);
    binding->bar->Start(reaction.start);
    return reaction.handled ? TRUE : FALSE;
}

gboolean CSideBarPlus::OnHelpRowRelease(GtkWidget*, GdkEventButton* event, gpointer data)
{
    const RowReaction reaction = HelpRowRelease(event->button);
    static_cast<RowBinding*>(data)->bar->Start(reaction.start);
    return reaction.handled ? TRUE : FALSE;
}

gboolean CSideBarPlus::OnHelpRowKey(GtkWidget*, GdkEventKey* event, gpointer data)
{
    const RowReaction reaction = HelpRowKey(event->keyval);
    static_cast<RowBinding*>(data)->bar->Start(reaction.start);
    return reaction.handled ? TRUE : FALSE;
}
