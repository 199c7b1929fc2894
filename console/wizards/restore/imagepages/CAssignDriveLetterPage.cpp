#include "CAssignDriveLetterPage.h"

#include <cstdlib>

#include "IWizard.h"
#include "WizardHead.h"

CAssignDriveLetterPage::CAssignDriveLetterPage(IWizard* wizard) : CBaseWizardPage(wizard), m_logic(*wizard)
{
    GtkWidget* label = gtk_label_new("Please choose a drive letter for the restored partition:");
    gtk_misc_set_alignment(GTK_MISC(label), 0.0f, 0.5f);
    gtk_box_pack_start(GTK_BOX(m_functionArea), label, FALSE, FALSE, 10);
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, 620, 300);
    m_no.InitBtn(nullptr, "N_o. I do not want to assign a drive letter.");
    m_yes.InitBtn(gtk_radio_button_get_group(GTK_RADIO_BUTTON(m_no.GetRadioBtnWidget())),
                  "_Yes. I want to assign a logic drvie letter to the restored partition.");
    gtk_fixed_put(GTK_FIXED(fixed), m_yes.GetRadioBtnWidget(), 20, 70);
    gtk_fixed_put(GTK_FIXED(fixed), m_no.GetRadioBtnWidget(), 20, 110);
    GtkWidget* row = gtk_hbox_new(FALSE, 5);
    GtkWidget* rowLabel = gtk_label_new_with_mnemonic("_Drive Letter for the selected partition:");
    gtk_misc_set_alignment(GTK_MISC(rowLabel), 0.0f, 0.5f);
    gtk_label_set_mnemonic_widget(GTK_LABEL(rowLabel), m_list.GetCbEntryWidget());
    gtk_box_pack_start(GTK_BOX(row), rowLabel, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), m_list.GetCbEntryIntf(), FALSE, FALSE, 0);
    gtk_fixed_put(GTK_FIXED(fixed), row, 40, 145);
    GtkWidget* frame = gtk_frame_new("Description");
    m_description = gtk_drawing_area_new();
    gtk_widget_set_size_request(m_description, 560, 80);
    g_signal_connect(m_description, "expose-event", G_CALLBACK(OnFrame), this);
    gtk_container_add(GTK_CONTAINER(frame), m_description);
    gtk_fixed_put(GTK_FIXED(fixed), frame, 20, 190);
    gtk_box_pack_start(GTK_BOX(m_functionArea), fixed, TRUE, TRUE, 0);
    InitDriveLetter();
    if (ActiveText().empty()) {
        gtk_widget_set_sensitive(m_yes.GetRadioBtnWidget(), FALSE);
        m_no.SetRadioAction(true);
        gtk_widget_set_sensitive(m_list.GetCbEntryWidget(), FALSE);
    }
    g_signal_connect(m_yes.GetRadioBtnWidget(), "clicked", G_CALLBACK(OnPressYes), this);
    g_signal_connect(m_no.GetRadioBtnWidget(), "clicked", G_CALLBACK(OnPressNo), this);
}

void CAssignDriveLetterPage::InitDriveLetter()
{
    for (const std::string& letter : CDriveLetterLogic::InitDriveLetter())
        m_list.AddItem(letter.c_str());
}

bool CAssignDriveLetterPage::YesSelected() const
{
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_yes.GetRadioBtnWidget())) != 0;
}

std::string CAssignDriveLetterPage::ActiveText() const
{
    char* text = m_list.GetActiveText();
    const std::string out = text ? text : "";
    g_free(text);
    return out;
}

void CAssignDriveLetterPage::InitPage()
{
    const DriveLetterChoices choices = m_logic.InitPage();
    gtk_widget_set_sensitive(m_yes.GetRadioBtnWidget(), choices.yesSensitive);
    gtk_widget_set_sensitive(m_list.GetCbEntryWidget(), choices.listSensitive);
    m_no.SetRadioAction(true);
    gtk_widget_queue_draw(m_description);
}

int CAssignDriveLetterPage::UpDate()
{
    // From here on the pages use the whole height: the head stays hidden.
    if (GtkWidget* head = m_wizard->GetHeadBox())
        gtk_widget_hide(head);
    if (GtkWidget* notebook = m_wizard->GetContainer())
        gtk_widget_set_size_request(notebook, 640, 430);
    return m_logic.UpDate(YesSelected(), ActiveText());
}

void CAssignDriveLetterPage::OnNextClicked()
{
    if (UpDate() != 0)
        return;
    m_wizard->OnNext();
}

void CAssignDriveLetterPage::OnPressYes(GtkButton*, gpointer self)
{
    CAssignDriveLetterPage* page = static_cast<CAssignDriveLetterPage*>(self);
    gtk_widget_set_sensitive(page->m_list.GetCbEntryWidget(), TRUE);
    gtk_widget_queue_draw(page->m_description);
}

void CAssignDriveLetterPage::OnPressNo(GtkButton*, gpointer self)
{
    CAssignDriveLetterPage* page = static_cast<CAssignDriveLetterPage*>(self);
    gtk_widget_set_sensitive(page->m_list.GetCbEntryWidget(), FALSE);
    gtk_widget_queue_draw(page->m_description);
}

gboolean CAssignDriveLetterPage::OnFrame(GtkWidget* widget, GdkEventExpose*, gpointer self)
{
    CAssignDriveLetterPage* page = static_cast<CAssignDriveLetterPage*>(self);
    PaintWrappedTextInto(widget, CDriveLetterLogic::Description(page->YesSelected()), 10, 8);
    return TRUE;
}

void CAssignDriveLetterPage::OnHelpClicked()
{
    m_wizard->OnHelp();
}

void CAssignDriveLetterPage::OnBackClicked()
{
    m_wizard->OnBack();
}

void CAssignDriveLetterPage::OnQuitClicked()
{
    m_wizard->DestoryDlg();
}
