#include "CSelectImageFilePage.h"

#include <gdk/gdkkeysyms.h>

#include <cstdlib>
#include <vector>

#include "CCofranInfo.h"
#include "CExploreCtrl.h"
#include "CImagePanel.h"
#include "EnvRoot.h"
#include "IEnvCommandRunner.h"
#include "IWizard.h"
#include "ImageFileTexts.h"
#include "TagRestoreInfo.h"
#include "WizardText.h"

namespace {

GtkWidget* LabelledRow(const char* text, GtkWidget* entry)
{
    GtkWidget* row = gtk_hbox_new(FALSE, 5);
    GtkWidget* label = gtk_label_new_with_mnemonic(text);
    gtk_misc_set_alignment(GTK_MISC(label), 0.0f, 0.5f);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), entry);
    gtk_widget_set_size_request(entry, 450, 20);
    gtk_box_pack_start(GTK_BOX(row), label, TRUE, TRUE, 5);
    gtk_box_pack_start(GTK_BOX(row), entry, FALSE, FALSE, 5);
    return row;
}

// The two boxes are left out of the dialog's show-all; they are shown by state.
void ShowBox(GtkWidget* box, bool show)
{
    if (!show) {
        gtk_widget_hide(box);
        return;
    }
    gtk_widget_set_no_show_all(box, FALSE);
    gtk_widget_show_all(box);
    gtk_widget_set_no_show_all(box, TRUE);
}

gboolean SwallowSinglePress(GtkWidget*, GdkEventButton* event, gpointer)
{
    return event->type == GDK_BUTTON_PRESS;
}

} // namespace

CSelectImageFilePage::CSelectImageFilePage(IWizard* wizard)
    : CBaseWizardPage(wizard), m_messages([wizard] { return wizard->GetDlg(); }), m_logic(*wizard, m_messages)
{
    EnvCommandRunner().Run({EnvPath("/mnt/mwp")});
    gtk_widget_set_size_request(m_functionArea, 640, 330);

    GtkWidget* frame = gtk_frame_new(nullptr);
    GtkWidget* split = gtk_hbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(frame), split);
    m_browser = std::make_unique<CExploreCtrl>(true);
    m_browser->InitCtrl();
    GtkWidget* browser = m_browser->GetDeviceListInterf();
    gtk_widget_set_size_request(browser, 180, -1);
    gtk_box_pack_start(GTK_BOX(split), browser, FALSE, FALSE, 0);

    m_rightBox = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(split), m_rightBox, TRUE, TRUE, 0);

    // The protected-image box.
    m_passwordBox = gtk_vbox_new(FALSE, 0);
    GtkWidget* nameRow = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(nameRow), gtk_image_new_from_file("../res/RVD-icon-32x32.png"), FALSE, FALSE, 0);
    m_protectedName = gtk_label_new("");
    gtk_box_pack_start(GTK_BOX(nameRow), m_protectedName, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(nameRow), gtk_label_new(" is protected."), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_passwordBox), nameRow, FALSE, FALSE, 0);
    GtkWidget* passwordRow = gtk_hbox_new(FALSE, 0);
    GtkWidget* passwordLabel = gtk_label_new_with_mnemonic("Enter the password");
    gtk_label_set_mnemonic_widget(GTK_LABEL(passwordLabel), m_password.GetEntryWidget());
    gtk_box_pack_start(GTK_BOX(passwordRow), passwordLabel, FALSE, FALSE, 5);
    gtk_entry_set_max_length(GTK_ENTRY(m_password.GetEntryWidget()), 64);
    gtk_entry_set_visibility(GTK_ENTRY(m_password.GetEntryWidget()), FALSE);
    gtk_box_pack_start(GTK_BOX(passwordRow), m_password.GetEntryWidget(), TRUE, TRUE, 0);
    m_confirm.SetSize(60, 25);
    gtk_button_set_use_underline(GTK_BUTTON(m_confirm.GetButtonWidget()), TRUE);
    gtk_box_pack_end(GTK_BOX(passwordRow), m_confirm.GetButtonWidget(), FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(m_passwordBox), passwordRow, FALSE, FALSE, 0);
    g_signal_connect(m_confirm.GetButtonWidget(), "clicked", G_CALLBACK(OnComfirmed), this);
    g_signal_connect(m_password.GetEntryWidget(), "key-release-event", G_CALLBACK(PassReleaseEvent), this);

    // The open-image box.
    m_openBox = gtk_vbox_new(FALSE, 0);
    GtkWidget* openRow = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(openRow), gtk_image_new_from_file("../res/RVD-icon-32x32.png"), FALSE, FALSE, 0);
    m_openName = gtk_label_new("");
    gtk_misc_set_alignment(GTK_MISC(m_openName), 0.0f, 0.5f);
    gtk_box_pack_start(GTK_BOX(openRow), m_openName, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_openBox), openRow, FALSE, FALSE, 0);
    m_commentStrip = gtk_drawing_area_new();
    gtk_widget_set_size_request(m_commentStrip, -1, 16);
    g_signal_connect(m_commentStrip, "expose-event", G_CALLBACK(on_draw_discript), this);
    gtk_box_pack_start(GTK_BOX(m_openBox), m_commentStrip, FALSE, FALSE, 0);
    m_dateSize = gtk_label_new("");
    gtk_misc_set_alignment(GTK_MISC(m_dateSize), 0.0f, 0.5f);
    gtk_box_pack_start(GTK_BOX(m_openBox), m_dateSize, FALSE, FALSE, 0);

    m_scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(m_scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(m_scrolled), GTK_SHADOW_ETCHED_IN);
    m_textView = gtk_text_view_new();
    // Null once the view is destroyed with the window, which may come before this page goes.
    g_object_add_weak_pointer(G_OBJECT(m_textView), reinterpret_cast<gpointer*>(&m_textView));
    gtk_text_view_set_editable(GTK_TEXT_VIEW(m_textView), FALSE);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(m_textView), FALSE);
    g_signal_connect(m_textView, "button-press-event", G_CALLBACK(SwallowSinglePress), nullptr);
    gtk_container_add(GTK_CONTAINER(m_scrolled), m_textView);
    gtk_widget_set_size_request(m_scrolled, -1, 150);
    gtk_box_pack_start(GTK_BOX(m_rightBox), m_passwordBox, FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(m_rightBox), m_openBox, FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(m_rightBox), m_scrolled, TRUE, TRUE, 5);
    gtk_widget_set_no_show_all(m_passwordBox, TRUE);
    gtk_widget_set_no_show_all(m_openBox, TRUE);

    gtk_box_pack_start(GTK_BOX(m_functionArea), frame, TRUE, TRUE, 0);
    m_fileType.SetEntryText("Backup image(*.rvd)");
    m_fileType.CanEdit(0);
    m_fileName.CanEdit(0);
    gtk_entry_set_max_length(GTK_ENTRY(m_fileName.GetEntryWidget()), 512);
    GTK_WIDGET_UNSET_FLAGS(m_fileName.GetEntryWidget(), GTK_CAN_FOCUS);
    gtk_box_pack_end(GTK_BOX(m_functionArea), LabelledRow("Files of _type:", m_fileType.GetEntryWidget()), FALSE,
                     FALSE, 2);
    gtk_box_pack_end(GTK_BOX(m_functionArea), LabelledRow("_File name:    ", m_fileName.GetEntryWidget()), FALSE,
                     FALSE, 2);

    m_browser->SetRowChangedCallBack(this);
    g_signal_connect(m_fileName.GetEntryWidget(), "changed", G_CALLBACK(OnValueChanged), this);
    m_wizard->EnableNextBtn(0);
}

CSelectImageFilePage::~CSelectImageFilePage()
{
    DropPanel();
    if (m_textView != nullptr)
        g_object_remove_weak_pointer(G_OBJECT(m_textView), reinterpret_cast<gpointer*>(&m_textView));
}

void CSelectImageFilePage::InitPage()
{
    if (m_wizard->GetDlg())
        gtk_widget_queue_draw(m_wizard->GetDlg());
    if (m_wizard->GetParam()->nLastPage != 0)
        ShowBox(m_passwordBox, false);
    m_logic.InitPage();
}

void CSelectImageFilePage::OnHelpClicked()
{
    m_wizard->OnHelp();
}

void CSelectImageFilePage::OnQuitClicked()
{
    m_wizard->DestoryDlg();
}

void CSelectImageFilePage::RowChangeCallBack()
{
    std::string path = m_browser->GetSelectedFullPath();
    if (path.size() > 520)
        path.resize(520);
    Show(m_logic.Accept(path, CImageSelectionLogic::Source::BrowserRow));
}

void CSelectImageFilePage::OnValueChanged(GtkEditable*, gpointer self)
{
    CSelectImageFilePage* page = static_cast<CSelectImageFilePage*>(self);
    if (page->m_settingEntry)
        return;
    const std::string path = FromDisplayText(page->m_fileName.GetEntryText(), 1040);
    if (path.size() >= 1040 - 1)
        return;
    page->Show(page->m_logic.Accept(path, CImageSelectionLogic::Source::Entry));
}

void CSelectImageFilePage::Show(CImageSelectionLogic::Outcome outcome)
{
    if (outcome != CImageSelectionLogic::Outcome::Shown)
        return;
    SetGui();
    SetShortName(m_logic.Path());
    SetFileNameLabel(m_logic.Path());
}

void CSelectImageFilePage::DropPanel()
{
    if (m_textView) {
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_textView));
        gtk_text_buffer_set_text(buffer, "", -1);
    }
    m_panel.reset();
}

void CSelectImageFilePage::SetGui()
{
    gtk_widget_set_size_request(m_scrolled, -1, 150);
    DropPanel();
    if (m_logic.GetState() == CImageSelectionLogic::State::Protected) {
        gtk_label_set_text(GTK_LABEL(m_protectedName), ToDisplayText(m_logic.Path()).c_str());
        ShowBox(m_passwordBox, true);
        ShowBox(m_openBox, false);
        gtk_widget_grab_focus(m_password.GetEntryWidget());
        return;
    }
    TagRestoreInfo* info = m_wizard->GetParam();
    m_panel = std::make_unique<CImagePanel>();
    _KS_VERSION version = m_logic.Version();
    m_panel->InitImagePanel(info->pTasque, m_logic.Path().c_str(), &version, 0, 660);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(m_textView));
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(buffer, &start);
    GtkTextChildAnchor* anchor = gtk_text_buffer_create_child_anchor(buffer, &start);
    gtk_text_view_add_child_at_anchor(GTK_TEXT_VIEW(m_textView), m_panel->GetImagePanel(), anchor);
    SetDescription();
    CCofranInfo reader;
    const std::string date = reader.GetFileInfo(info->pTasque, m_logic.Path().c_str());
    const int64_t bytes = CImageSelectionLogic::FileBytes(m_logic.Path());
    gtk_label_set_text(GTK_LABEL(m_dateSize), ImageDateSizeLine(date, bytes < 0 ? 0 : bytes).c_str());
    gtk_widget_show_all(m_scrolled);
    ShowBox(m_openBox, true);
    ShowBox(m_passwordBox, false);
}

void CSelectImageFilePage::SetShortName(const std::string& path)
{
    const std::string name = ImageShortName(path);
    if (!name.empty())
        gtk_label_set_text(GTK_LABEL(m_openName), ToDisplayText(name).c_str());
}

void CSelectImageFilePage::SetFileNameLabel(const std::string& path)
{
    m_settingEntry = true;
    m_fileName.SetEntryText(ToDisplayText(path).c_str());
    m_settingEntry = false;
}

void CSelectImageFilePage::SetDescription()
{
    const CommentStrip strip = MakeCommentStrip(m_logic.Comment());
    m_comment = ToDisplayText(strip.text);
    gtk_widget_set_tooltip_text(m_commentStrip, ToDisplayText(strip.tooltip).c_str());
    gtk_widget_queue_draw(m_commentStrip);
}

void CSelectImageFilePage::ConfirmPassword()
{
    const char* text = gtk_entry_get_text(GTK_ENTRY(m_password.GetEntryWidget()));
    std::vector<wchar_t> wide(256, L'\0');
    if (std::mbstowcs(wide.data(), text ? text : "", wide.size() - 1) == static_cast<size_t>(-1))
        wide[0] = L'\0';
    if (m_logic.Confirm(wide.data()) && m_logic.GetState() == CImageSelectionLogic::State::Open) {
        SetGui();
        SetShortName(m_logic.Path());
    }
    gtk_widget_set_size_request(m_scrolled, -1, 150);
}

void CSelectImageFilePage::OnComfirmed(GtkButton*, gpointer self)
{
    static_cast<CSelectImageFilePage*>(self)->ConfirmPassword();
}

gboolean CSelectImageFilePage::PassReleaseEvent(GtkWidget*, GdkEventKey* event, gpointer self)
{
    if (event->string != nullptr && event->string[0] == '\r')
        static_cast<CSelectImageFilePage*>(self)->ConfirmPassword();
    return FALSE;
}

gboolean CSelectImageFilePage::on_draw_discript(GtkWidget* widget, GdkEventExpose*, gpointer self)
{
    CSelectImageFilePage* page = static_cast<CSelectImageFilePage*>(self);
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_rgb(cr, 0xE6 / 255.0, 0xEA / 255.0, 0xDC / 255.0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_select_font_face(cr, "SimSun", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    cairo_move_to(cr, 0, widget->allocation.height - 4);
    cairo_show_text(cr, page->m_comment.c_str());
    cairo_destroy(cr);
    return TRUE;
}
