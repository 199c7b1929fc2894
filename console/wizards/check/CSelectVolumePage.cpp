#include "CSelectVolumePage.h"

#include <sys/stat.h>

#include <cstdlib>
#include <vector>

#include "CCofranInfo.h"
#include "CExploreCtrl.h"
#include "CVolListCtrl.h"
#include "ChkImgRunState.h"
#include "ChkImgTexts.h"
#include "EnvRoot.h"
#include "IChkImgWizard.h"
#include "IEnvCommandRunner.h"
#include "ITasque.h"
#include "ImageFileTexts.h"
#include "WizardText.h"

namespace {

GtkWidget* CaptionRow(const char* caption, GtkWidget* entry)
{
    GtkWidget* row = gtk_hbox_new(FALSE, 5);
    GtkWidget* label = gtk_label_new(caption);
    gtk_widget_set_size_request(label, 105, -1);
    gtk_misc_set_alignment(GTK_MISC(label), 0.0f, 0.5f);
    gtk_widget_set_size_request(entry, 505, 20);
    SetFontStyle(entry);
    gtk_box_pack_start(GTK_BOX(row), label, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), entry, FALSE, FALSE, 0);
    return row;
}

// The boxes are left out of the dialog's show-all; the page shows them by state.
void ShowOnly(GtkWidget* box, bool show)
{
    if (!show) {
        gtk_widget_hide(box);
        return;
    }
    gtk_widget_set_no_show_all(box, FALSE);
    gtk_widget_show_all(box);
    gtk_widget_set_no_show_all(box, TRUE);
}

long long FileBytes(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    return static_cast<long long>(st.st_size);
}

std::string ShortName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

} // namespace

CSelectVolumePage::CSelectVolumePage(IChkImgWizard* wizard, ChkImgRunState& run, ITasque* tasque)
    : CChkImgBasePage(wizard), m_tasque(tasque), m_messages([wizard] { return wizard->GetDlg(); }), m_run(run),
      m_logic(*wizard, m_messages, run, tasque)
{
    EnvCommandRunner().Run({EnvPath("/mnt/mwp")});
    gtk_widget_set_size_request(m_functionArea, 600, 330);

    m_browser = std::make_unique<CExploreCtrl>(true);
    m_browser->InitCtrl();
    GtkWidget* browser = m_browser->GetDeviceListInterf();
    gtk_widget_set_size_request(browser, 180, -1);

    GtkWidget* right = gtk_vbox_new(FALSE, 0);
    m_listContainer = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(right), m_listContainer, TRUE, TRUE, 0);

    // The password box.
    m_passwordBox = gtk_vbox_new(FALSE, 0);
    GtkWidget* nameRow = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(nameRow), gtk_label_new("  "), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(nameRow), gtk_image_new_from_file("../res/RVD-icon-32x32.png"), FALSE, FALSE, 0);
    m_passwordName = gtk_label_new("");
    gtk_misc_set_alignment(GTK_MISC(m_passwordName), 0.0f, 0.5f);
    gtk_box_pack_start(GTK_BOX(nameRow), m_passwordName, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_passwordBox), nameRow, FALSE, FALSE, 0);
    GtkWidget* passwordRow = gtk_hbox_new(FALSE, 0);
    GtkWidget* caption = gtk_label_new_with_mnemonic(" Enter the password");
    gtk_label_set_mnemonic_widget(GTK_LABEL(caption), m_password.GetEntryWidget());
    SetFontStyle(caption);
    gtk_box_pack_start(GTK_BOX(passwordRow), caption, FALSE, FALSE, 5);
    gtk_entry_set_visibility(GTK_ENTRY(m_password.GetEntryWidget()), FALSE);
    gtk_entry_set_max_length(GTK_ENTRY(m_password.GetEntryWidget()), 64);
    SetFontStyle(m_password.GetEntryWidget());
    gtk_box_pack_start(GTK_BOX(passwordRow), m_password.GetEntryWidget(), TRUE, TRUE, 0);
    m_confirm.SetSize(70, 25);
    gtk_button_set_use_underline(GTK_BUTTON(m_confirm.GetButtonWidget()), TRUE);
    gtk_box_pack_end(GTK_BOX(passwordRow), m_confirm.GetButtonWidget(), FALSE, FALSE, 4);
    gtk_box_pack_start(GTK_BOX(m_passwordBox), passwordRow, FALSE, FALSE, 0);
    g_signal_connect(m_confirm.GetButtonWidget(), "clicked", G_CALLBACK(OnComfirmed), this);
    g_signal_connect(m_password.GetEntryWidget(), "key-release-event", G_CALLBACK(PassReleaseEvent), this);

    // The information box.
    m_infoBox = gtk_vbox_new(FALSE, 0);
    GtkWidget* infoRow = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(infoRow), gtk_image_new_from_file("../res/RVD-icon-32x32.png"), FALSE, FALSE, 0);
    m_infoName = gtk_label_new("");
    gtk_misc_set_alignment(GTK_MISC(m_infoName), 0.0f, 0.5f);
    gtk_box_pack_start(GTK_BOX(infoRow), m_infoName, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_infoBox), infoRow, FALSE, FALSE, 0);
    m_descriptionArea = gtk_drawing_area_new();
    gtk_widget_set_size_request(m_descriptionArea, -1, 16);
    g_signal_connect(m_descriptionArea, "expose-event", G_CALLBACK(OnDescriptionExpose), this);
    gtk_box_pack_start(GTK_BOX(m_infoBox), m_descriptionArea, FALSE, FALSE, 0);
    m_dateSize = gtk_label_new("");
    gtk_misc_set_alignment(GTK_MISC(m_dateSize), 0.0f, 0.5f);
    SetFontStyle(m_dateSize);
    gtk_box_pack_start(GTK_BOX(m_infoBox), m_dateSize, FALSE, FALSE, 0);

    gtk_box_pack_start(GTK_BOX(m_listContainer), m_passwordBox, FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(m_listContainer), m_infoBox, FALSE, FALSE, 5);
    gtk_widget_set_no_show_all(m_passwordBox, TRUE);
    gtk_widget_set_no_show_all(m_infoBox, TRUE);
    ReplaceList(false);

    GtkWidget* split = gtk_hpaned_new();
    gtk_paned_pack1(GTK_PANED(split), browser, FALSE, FALSE);
    gtk_paned_pack2(GTK_PANED(split), right, TRUE, FALSE);

    m_fileType.SetEntryText("Backup image(*.rvd)");
    m_fileType.CanEdit(0);
    m_fileName.CanEdit(0);
    gtk_widget_set_sensitive(m_fileName.GetEntryWidget(), FALSE);
    gtk_entry_set_max_length(GTK_ENTRY(m_fileName.GetEntryWidget()), 512);
    gtk_box_pack_end(GTK_BOX(m_functionArea), CaptionRow("Files of type:", m_fileType.GetEntryWidget()), FALSE,
                     FALSE, 5);
    gtk_box_pack_end(GTK_BOX(m_functionArea), CaptionRow("File name:   ", m_fileName.GetEntryWidget()), FALSE, FALSE,
                     5);
    gtk_box_pack_start(GTK_BOX(m_functionArea), split, TRUE, TRUE, 0);

    m_browser->SetRowChangedCallBack(this);
    g_signal_connect(m_fileName.GetEntryWidget(), "changed", G_CALLBACK(OnValueChanged), this);
}

void CSelectVolumePage::DropList()
{
    m_list.reset();
    for (GtkWidget*& widget : m_listWidgets) {
        if (widget != nullptr)
            g_object_unref(widget);
        widget = nullptr;
    }
}

CSelectVolumePage::~CSelectVolumePage()
{
    DropList();
    if (m_tasque != nullptr)
        m_tasque->Release();
}

void CSelectVolumePage::InitPage()
{
    m_wizard->EnableBackBtn(0);
    m_wizard->EnableNextBtn(m_list && m_list->GetCheckedVolNum() > 0 ? 1 : 0);
    m_wizard->SetBtnNextText("_Next>");
}

int CSelectVolumePage::UpDate()
{
    if (GtkWidget* head = m_wizard->GetHeadBox())
        gtk_widget_hide(head);
    if (GtkWidget* notebook = m_wizard->GetContainer())
        gtk_widget_set_size_request(notebook, 640, 428);
    return 0;
}

void CSelectVolumePage::OnHelpClicked() { m_wizard->OnHelp(); }

void CSelectVolumePage::OnBackClicked()
{
    if (GtkWidget* head = m_wizard->GetHeadBox())
        gtk_widget_show(head);
    if (GtkWidget* notebook = m_wizard->GetContainer())
        gtk_widget_set_size_request(notebook, 640, 355);
    m_wizard->SetCurrentPage(0);
}

void CSelectVolumePage::OnNextClicked()
{
    if (!m_list || m_list->GetCheckedVolNum() <= 0)
        return;
    UpDate();
    std::vector<_KS_VOLUME> ticked;
    const int count = m_list->GetCheckedVolNum();
    for (int n = 0; n < count; ++n) {
        _KS_VOLUME v{};
        if (m_list->GetCheckedVol(static_cast<uint16_t>(n), v))
            ticked.push_back(v);
    }
    m_logic.OnNextClicked(ticked);
}

void CSelectVolumePage::OnQuitClicked()
{
    m_logic.OnQuitClicked(m_fileName.GetEntryText() ? m_fileName.GetEntryText() : "");
}

void CSelectVolumePage::RowChangeCallBack()
{
    std::string path = m_browser->GetSelectedFullPath();
    if (!HasImageExtension(path))
        return;
    Choose(path, true);
}

void CSelectVolumePage::Choose(const std::string& path, bool fromBrowser)
{
    const CSelectVolumeLogic::Outcome outcome = m_logic.Choose(path, fromBrowser);
    switch (outcome) {
    case CSelectVolumeLogic::Outcome::Ignored:
        return;
    case CSelectVolumeLogic::Outcome::TooLong:
        m_wizard->EnableNextBtn(0);
        return;
    case CSelectVolumeLogic::Outcome::Failed:
        ReplaceList(false);
        ShowBoxes(false);
        ShowInformation(path);
        m_description = ToDisplayText(m_run.versionErrorText);
        gtk_label_set_text(GTK_LABEL(m_dateSize), "");
        break;
    case CSelectVolumeLogic::Outcome::Protected:
        ReplaceList(false);
        ShowBoxes(true);
        gtk_label_set_text(GTK_LABEL(m_passwordName), ToDisplayText(ShortName(path) + " is protected.").c_str());
        m_password.SetEntryText("");
        gtk_widget_grab_focus(m_password.GetEntryWidget());
        break;
    case CSelectVolumeLogic::Outcome::Listed:
        ReplaceList(true);
        ShowBoxes(false);
        ShowInformation(path);
        break;
    }
    if (fromBrowser) {
        m_settingEntry = true;
        m_fileName.SetEntryText("");
        m_fileName.SetEntryText(ToDisplayText(path).c_str());
        m_settingEntry = false;
    }
    gtk_widget_queue_draw(m_descriptionArea);
}

void CSelectVolumePage::ReplaceList(bool withVersion)
{
    if (m_list) {
        if (m_listContainer != nullptr && gtk_widget_get_parent(m_list->GetListWidgetInterface()) == m_listContainer)
            gtk_container_remove(GTK_CONTAINER(m_listContainer), m_list->GetListWidgetInterface());
        DropList();
    }
    m_list = std::make_unique<CVolListCtrl>(true);
    m_list->SetCheckImage();
    m_list->SetRowCheckedCallBack(&CSelectVolumePage::OnVolListRowChecked, this);
    if (withVersion) {
        _KS_VERSION version = m_logic.Version();
        m_list->InitList(m_tasque, m_wizard->GetParam()->szImagePath, &version);
    } else {
        m_list->InitList(nullptr, nullptr, nullptr);
    }
    m_list->AppendColumn("Partition", CVolListCtrl::COL_PARTITION, 0.0f, 0.0f, 120, 0);
    m_list->AppendColumn("Type", CVolListCtrl::COL_TYPE, 0.0f, 0.0f, 80, 1);
    m_list->AppendColumn("Size", CVolListCtrl::COL_SIZE, 1.0f, 1.0f, 80, 0);
    m_list->AppendColumn(" ", CVolListCtrl::COL_LAST, 0.0f, 0.0f, 1, 0);
    // The list object reaches its widgets until it is deleted, also after the dialog
    // is gone: they stay alive (if destroyed) for as long as it does.
    m_listWidgets[0] = GTK_WIDGET(g_object_ref(m_list->GetListWidgetInterface()));
    m_listWidgets[1] = GTK_WIDGET(g_object_ref(m_list->GetListWidget()));
    gtk_box_pack_start(GTK_BOX(m_listContainer), m_list->GetListWidgetInterface(), TRUE, TRUE, 0);
    gtk_widget_show_all(m_list->GetListWidgetInterface());
    m_logic.OnVolumesTicked(m_list->GetCheckedVolNum());
}

void CSelectVolumePage::ShowBoxes(bool protectedSet)
{
    ShowOnly(m_passwordBox, protectedSet);
    ShowOnly(m_infoBox, !protectedSet);
}

void CSelectVolumePage::ShowInformation(const std::string& path)
{
    gtk_label_set_text(GTK_LABEL(m_infoName), ToDisplayText(ShortName(path)).c_str());
    CCofranInfo reader;
    const std::string date = reader.GetCheckFileInfo(m_tasque, path.c_str());
    gtk_label_set_text(GTK_LABEL(m_dateSize), ChkImgTexts::DateSizeLine(date, FileBytes(path)).c_str());
    // The comment of the chosen version, as the tooltip in whole.
    std::vector<wchar_t> buffer(4096, L'\0');
    int length = 0;
    _KS_VERSION version = m_logic.Version();
    std::string comment;
    if (m_tasque->CheckGetVerComment(buffer.data(), 4096, &length, &version) == 0) {
        buffer.back() = L'\0';
        std::vector<char> text(4096 * 4 + 1, '\0');
        if (std::wcstombs(text.data(), buffer.data(), text.size() - 1) != static_cast<size_t>(-1))
            comment = text.data();
    }
    const CommentStrip strip = MakeCommentStrip(comment);
    m_description = ToDisplayText(strip.text);
    m_run.descriptionTip = ChkImgTexts::CutToBytes(strip.tooltip, 4095);
    gtk_widget_set_tooltip_text(m_descriptionArea, ToDisplayText(m_run.descriptionTip).c_str());
}

void CSelectVolumePage::Confirm()
{
    const char* text = gtk_entry_get_text(GTK_ENTRY(m_password.GetEntryWidget()));
    std::vector<wchar_t> wide(256, L'\0');
    if (std::mbstowcs(wide.data(), text ? text : "", wide.size() - 1) == static_cast<size_t>(-1))
        wide[0] = L'\0';
    m_password.SetEntryText("");
    if (!m_logic.Confirm(wide.data()))
        return;
    const std::string path = m_wizard->GetParam()->szImagePath;
    ReplaceList(true);
    ShowBoxes(false);
    ShowInformation(path);
    gtk_widget_queue_draw(m_descriptionArea);
}

void CSelectVolumePage::OnVolListRowChecked(void* self)
{
    auto* page = static_cast<CSelectVolumePage*>(self);
    if (page->m_list)
        page->m_logic.OnVolumesTicked(page->m_list->GetCheckedVolNum());
}

void CSelectVolumePage::OnValueChanged(GtkEditable*, gpointer self)
{
    auto* page = static_cast<CSelectVolumePage*>(self);
    if (page->m_settingEntry)
        return;
    const std::string path = FromDisplayText(page->m_fileName.GetEntryText(), 1040);
    if (path.size() > 1039 || !HasAnyExtension(path))
        return;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        page->ReplaceList(false);
        page->ShowBoxes(false);
        page->m_description = CSelectVolumeLogic::kInvalidPath;
        gtk_label_set_text(GTK_LABEL(page->m_dateSize), "");
        gtk_widget_queue_draw(page->m_descriptionArea);
        page->m_wizard->EnableNextBtn(0);
        return;
    }
    if (!HasImageExtension(path)) {
        page->m_wizard->EnableNextBtn(0);
        return;
    }
    page->Choose(path, false);
}

void CSelectVolumePage::OnComfirmed(GtkButton*, gpointer self)
{
    static_cast<CSelectVolumePage*>(self)->Confirm();
}

gboolean CSelectVolumePage::PassReleaseEvent(GtkWidget*, GdkEventKey* event, gpointer self)
{
    if (event->string != nullptr && event->string[0] == '\r')
        static_cast<CSelectVolumePage*>(self)->Confirm();
    return FALSE;
}

gboolean CSelectVolumePage::OnDescriptionExpose(GtkWidget* widget, GdkEventExpose*, gpointer self)
{
    auto* page = static_cast<CSelectVolumePage*>(self);
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_rgb(cr, 0xE6 / 255.0, 0xEA / 255.0, 0xDC / 255.0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_select_font_face(cr, "SimSun", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    cairo_move_to(cr, 0, widget->allocation.height - 4);
    cairo_show_text(cr, page->m_description.c_str());
    cairo_destroy(cr);
    return TRUE;
}
