#include "CSelectRestoreModePage.h"

#include "IWizard.h"
#include "WizardHead.h"

namespace {

const char* const kActiveText[] = {
    "The active partition is the partition where the computer boots from. Only one ",
    "partition can be active at a time. The active partition can contain operating ",
    "systems and data files. If the partition image contains an operating system,",
    "it is recommended to choose active option.",
    "Note that original partition type is selected by default.",
};
const char* const kPrimaryText[] = {
    "Primary partitions can contain operating system and data files. You can boot the ",
    "operating system from the primary only if you have a boot manager installed. Note ",
    "that the original partition type is selected by default.",
};
const char* const kLogicalText[] = {
    "Restoring to a logical partition is recommended if the partition image does not ",
    "contain an operating system that is booted from a primary partition. Partition images",
    "containing operating systems such as Windows NT,Windows 2000,Windows XP,or Linux",
    "can be restored as logical partitions. You may also choose this item if the partition ",
    "image contains no operating system.Note that original partition type is selected by",
    "default.",
};

} // namespace

CSelectRestoreModePage::CSelectRestoreModePage(IWizard* wizard)
    : CBaseWizardPage(wizard), m_messages([wizard] { return wizard->GetDlg(); }), m_logic(*wizard, m_messages)
{
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, 620, 330);
    GtkWidget* top = gtk_label_new("Choose partition type for the restored partition.");
    gtk_fixed_put(GTK_FIXED(fixed), top, 10, 20);
    m_active.InitBtn(nullptr, "_Active");
    m_primary.InitBtn(gtk_radio_button_get_group(GTK_RADIO_BUTTON(m_active.GetRadioBtnWidget())), "_Primary");
    m_logical.InitBtn(gtk_radio_button_get_group(GTK_RADIO_BUTTON(m_primary.GetRadioBtnWidget())), "_Logical");
    gtk_fixed_put(GTK_FIXED(fixed), m_active.GetRadioBtnWidget(), 50, 120);
    gtk_fixed_put(GTK_FIXED(fixed), m_primary.GetRadioBtnWidget(), 50, 150);
    gtk_fixed_put(GTK_FIXED(fixed), m_logical.GetRadioBtnWidget(), 50, 180);
    for (GtkWidget* radio : {m_active.GetRadioBtnWidget(), m_primary.GetRadioBtnWidget(), m_logical.GetRadioBtnWidget()})
        g_signal_connect(radio, "clicked", G_CALLBACK(OnRadioClicked), this);
    GtkWidget* frame = gtk_frame_new("Description");
    m_description = gtk_drawing_area_new();
    gtk_widget_set_size_request(m_description, 440, 140);
    g_signal_connect(m_description, "expose-event", G_CALLBACK(OnDescriptionExpose), this);
    gtk_container_add(GTK_CONTAINER(frame), m_description);
    gtk_fixed_put(GTK_FIXED(fixed), frame, 150, 110);
    gtk_box_pack_start(GTK_BOX(m_functionArea), fixed, TRUE, TRUE, 0);
}

GtkWidget* CSelectRestoreModePage::GetRadio(RestoreKind kind) const
{
    switch (kind) {
    case RestoreKind::Active:
        return m_active.GetRadioBtnWidget();
    case RestoreKind::Primary:
        return m_primary.GetRadioBtnWidget();
    default:
        return m_logical.GetRadioBtnWidget();
    }
}

RestoreKind CSelectRestoreModePage::Kind() const
{
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_active.GetRadioBtnWidget())))
        return RestoreKind::Active;
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_primary.GetRadioBtnWidget())))
        return RestoreKind::Primary;
    return RestoreKind::Logical;
}

const char* const* CSelectRestoreModePage::DescriptionLines(RestoreKind kind, int& count)
{
    switch (kind) {
    case RestoreKind::Active:
        count = int(sizeof(kActiveText) / sizeof(kActiveText[0]));
        return kActiveText;
    case RestoreKind::Primary:
        count = int(sizeof(kPrimaryText) / sizeof(kPrimaryText[0]));
        return kPrimaryText;
    default:
        count = int(sizeof(kLogicalText) / sizeof(kLogicalText[0]));
        return kLogicalText;
    }
}

void CSelectRestoreModePage::Apply(const RestoreModeChoices& c)
{
    gtk_widget_set_sensitive(m_active.GetRadioBtnWidget(), c.activeSensitive);
    gtk_widget_set_sensitive(m_primary.GetRadioBtnWidget(), c.primarySensitive);
    gtk_widget_set_sensitive(m_logical.GetRadioBtnWidget(), c.logicalSensitive);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(GetRadio(c.selected)), TRUE);
    m_logic.SetKind(c.selected);
}

void CSelectRestoreModePage::InitPage()
{
    if (m_wizard->GetDlg())
        gtk_widget_queue_draw(m_wizard->GetDlg());
    RestoreModeChoices choices;
    choices.activeSensitive = GTK_WIDGET_SENSITIVE(m_active.GetRadioBtnWidget());
    choices.primarySensitive = GTK_WIDGET_SENSITIVE(m_primary.GetRadioBtnWidget());
    choices.logicalSensitive = GTK_WIDGET_SENSITIVE(m_logical.GetRadioBtnWidget());
    choices.selected = Kind();
    if (m_logic.InitPage(choices))
        Apply(choices);
}

void CSelectRestoreModePage::OnRadioClicked(GtkButton*, gpointer self)
{
    CSelectRestoreModePage* page = static_cast<CSelectRestoreModePage*>(self);
    page->m_logic.SetKind(page->Kind());
    gtk_widget_queue_draw(page->m_description);
}

gboolean CSelectRestoreModePage::OnDescriptionExpose(GtkWidget* widget, GdkEventExpose*, gpointer self)
{
    CSelectRestoreModePage* page = static_cast<CSelectRestoreModePage*>(self);
    int count = 0;
    const char* const* lines = DescriptionLines(page->Kind(), count);
    // Wrapped to the frame's width: no line runs past its right edge.
    PaintWrappedTextInto(widget, std::vector<std::string>(lines, lines + count), 10, 12);
    return TRUE;
}

void CSelectRestoreModePage::OnHelpClicked()
{
    m_wizard->OnHelp();
}

void CSelectRestoreModePage::OnBackClicked()
{
    m_wizard->OnBack();
}

void CSelectRestoreModePage::OnQuitClicked()
{
    m_wizard->DestoryDlg();
}
