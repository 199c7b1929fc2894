#include "CCloneTaskProgressPage.h"

#include <cstdio>
#include <cstring>

#include "CBaseDialog.h"
#include "CCloneDataBase.h"
#include "CGtkMessageBox.h"
#include "CloneMessage.h"
#include "CloneProgressTexts.h"
#include "ICloneWizard.h"
#include "CloneServices.h"
#include "ITasque.h"
#include "MsgLib.h"
#include "ResPicture.h"
#include "vessmar/IVessmarModule.h"

namespace {

constexpr guint kPollMs = 200;

gboolean OnPictureExpose(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_rgb(cr, 49 / 255.0, 106 / 255.0, 197 / 255.0);
    cairo_paint(cr);
    PaintResPicture(cr, "../res/second-left-bg-clone.png", 0, 0);
    cairo_destroy(cr);
    return TRUE;
}

gboolean SwallowLeftPress(GtkWidget*, GdkEventButton* event, gpointer)
{
    return event->button == 1 ? TRUE : FALSE;
}

} // namespace

CCloneTaskProgressPage::CCloneTaskProgressPage()
    : m_currentBar(new CProgressBar()), m_totalBar(new CProgressBar())
{
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_widget_set_size_request(row, -1, 378);
    GtkWidget* picture = gtk_drawing_area_new();
    gtk_widget_set_size_request(picture, 205, -1);
    g_signal_connect(picture, "expose-event", G_CALLBACK(OnPictureExpose), nullptr);
    gtk_box_pack_start(GTK_BOX(row), picture, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), gtk_hbox_new(FALSE, 0), FALSE, FALSE, 5);

    GtkWidget* column = gtk_vbox_new(FALSE, 0);
    m_buffer = gtk_text_buffer_new(nullptr);
    gtk_text_buffer_create_tag(m_buffer, "bold", "weight", 700, nullptr);
    gtk_text_buffer_create_tag(m_buffer, "color_tag", "foreground", "red", nullptr);
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(m_buffer, &end);
    gtk_text_buffer_create_mark(m_buffer, "scroll", &end, FALSE);
    m_textView = gtk_text_view_new_with_buffer(m_buffer);
    gtk_text_view_set_editable(GTK_TEXT_VIEW(m_textView), FALSE);
    PangoFontDescription* font = pango_font_description_from_string("Monospace 7 ");
    gtk_widget_modify_font(m_textView, font);
    pango_font_description_free(font);
    g_signal_connect(m_textView, "button-press-event", G_CALLBACK(SwallowLeftPress), nullptr);
    GtkWidget* scrolled = m_scrollBar->GetScrollBarWidget();
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scrolled), m_textView);
    gtk_widget_set_size_request(scrolled, -1, 260);
    gtk_box_pack_start(GTK_BOX(column), scrolled, FALSE, FALSE, 0);

    m_currentLabel = gtk_label_new(kCloneCurrentFirstText);
    gtk_misc_set_alignment(GTK_MISC(m_currentLabel), 0, 0.5);
    gtk_box_pack_start(GTK_BOX(column), m_currentLabel, FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(column), m_currentBar->GetWidget(), FALSE, FALSE, 0);
    m_totalLabel = gtk_label_new(kCloneTotalFirstText);
    gtk_misc_set_alignment(GTK_MISC(m_totalLabel), 0, 0.5);
    gtk_box_pack_start(GTK_BOX(column), m_totalLabel, FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(column), m_totalBar->GetWidget(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), column, TRUE, TRUE, 5);
    gtk_box_pack_start(GTK_BOX(m_page), row, TRUE, TRUE, 0);
}

CCloneTaskProgressPage::~CCloneTaskProgressPage()
{
    if (m_timer != 0)
        g_source_remove(m_timer);
    if (m_command != nullptr)
        m_command->Release();
    g_object_unref(m_buffer); // the page's own reference: the log outlives its view
}

void CCloneTaskProgressPage::UpdateHeader()
{
    m_wizard->HideHeader(1);
    if (CBaseDialog* dialog = m_wizard->GetBaseDialog())
        if (GtkWidget* widget = dialog->GetDlgWidget())
            gtk_widget_queue_draw(widget);
}

void CCloneTaskProgressPage::InitPage()
{
    CCloneDataBase* data = CCloneDataBase::Instance();
    data->SetCloseSign(0);
    data->SetEndSign(0);
    const int source = data->GetCloneSourceDisk();
    const int target = data->GetCloneTargetDisk();
    InsertCloneInfo("\t\n", 0, 0);
    InsertCloneInfo("Summary\n", 1, 0);
    InsertCloneInfo(CloneSummaryFrom(source).c_str(), 0, 0);
    InsertCloneInfo(CloneSummaryTo(target).c_str(), 0, 0);

    m_wizard->EnableNextBtn(0);
    m_wizard->EnableBackBtn(0);
    if (m_command != nullptr)
        m_command->Release();
    m_command = NewCloneCommand();
    CloneRunLists lists{data->SourceParts(), data->RestoreParts(), data->AddParts()};
    if (m_command == nullptr) {
        m_outcome.stage = CloneRunStage::NoDeviceManager;
    } else {
        m_outcome = PrepareAndStartClone(*m_command, OpenCloneVessmar(), static_cast<uint8_t>(source),
                                         static_cast<uint8_t>(target), lists, BackCall, nullptr);
    }
    if (m_outcome.stage != CloneRunStage::Started) {
        ReportPreparationFailure();
        return;
    }
    data->RestoreParts() = lists.restore;
    data->AddParts() = lists.add;
    m_timer = g_timeout_add(kPollMs, reinterpret_cast<GSourceFunc>(GuiCallback), this);
}

void CCloneTaskProgressPage::ReportPreparationFailure()
{
    // Nothing runs: Cancel is the way out, and it closes without asking.
    m_idle = true;
    char text[400];
    switch (m_outcome.stage) {
    case CloneRunStage::PartitionFailed:
        std::snprintf(text, sizeof text, kClonePartitionFailedText, m_outcome.failedIndex);
        break;
    case CloneRunStage::NoDeviceManager:
        std::snprintf(text, sizeof text, "%s", kCloneNoManagerText);
        break;
    default:
        if (!ZeFormatFullMessage(static_cast<unsigned>(m_outcome.result), 300, text))
            std::snprintf(text, sizeof text, "Failed! ErrorCode:%lu", m_outcome.result);
        break;
    }
    InsertCloneInfo(text, 1, 1);
    ShowCloneMessage(m_wizard, "Error", GTK_MB_ICON_ERROR, GTK_MB_OK, text);
    m_wizard->EnableCancelBtn(1);
}

gboolean CCloneTaskProgressPage::GuiCallback(void* page)
{
    return static_cast<CCloneTaskProgressPage*>(page)->Poll();
}

gboolean CCloneTaskProgressPage::Poll()
{
    if (CCloneDataBase::Instance()->GetCloseSign()) {
        m_timer = 0;
        return FALSE;
    }
    // A fresh record each time: a failed read must not show the last poll's figures.
    _KS_PROGRESS_INFO progress;
    std::memset(&progress, 0, sizeof progress);
    m_command->RestoreGetProgress(&progress);
    const ClonePollStep step = m_poll.Step(progress, CCloneDataBase::Instance()->SourceParts());
    for (const CloneLogLine& line : step.lines)
        InsertCloneInfo(line.text.c_str(), line.bold ? 1 : 0, 0);
    if (step.setProgress)
        UpdateProInfo(step.totalLabel.c_str(), step.total, step.currentLabel.c_str(), step.current);
    if (step.end == ClonePollEnd::Finished) {
        m_timer = 0;
        EndCancelQuestion();
        char text[301] = "";
        if (step.result != 0)
            ZeFormatFullMessage(step.result, 300, text);
        ShowCloneMessage(m_wizard, step.result != 0 ? "Error" : "Success",
                         step.result != 0 ? GTK_MB_ICON_ERROR : GTK_MB_ICON_RIGHT, GTK_MB_OK,
                         step.result != 0 ? text : kCloneSuccessText);
        m_wizard->SetBtnNextText("_Finish");
        m_wizard->EnableNextBtn(1);
        m_wizard->EnableCancelBtn(0);
        m_runEnded = 1;
        return FALSE;
    }
    if (step.end == ClonePollEnd::Cancelled) {
        m_timer = 0;
        // Cancelled by the engine, not from this page: the user is told before the
        // wizard goes.
        if (!m_cancelRequested) {
            EndCancelQuestion();
            char text[301] = "";
            if (step.result == 0 || !ZeFormatFullMessage(step.result, 300, text))
                std::snprintf(text, sizeof text, "%s", kCloneEngineCancelledText);
            InsertCloneInfo(text, 1, 1);
            ShowCloneMessage(m_wizard, "Error", GTK_MB_ICON_ERROR, GTK_MB_OK, text);
        }
        CloseWizard();
        return FALSE;
    }
    return TRUE;
}

void CCloneTaskProgressPage::EndCancelQuestion()
{
    if (m_confirm == nullptr)
        return;
    // The cancel question ends by a response; its caller sees the report took over.
    m_confirmEndedByReport = true;
    gtk_widget_hide(m_confirm);
    gtk_dialog_response(GTK_DIALOG(m_confirm), DLG_RESULT_CANCEL);
    m_confirm = nullptr;
    m_cancelRequested = 0;
}

void CCloneTaskProgressPage::CloseWizard()
{
    CCloneDataBase* data = CCloneDataBase::Instance();
    data->SetEndSign(1);
    if (m_wizard != nullptr && m_wizard->GetBaseDialog() != nullptr)
        m_wizard->GetBaseDialog()->DestoryDlg();
    data->SetCloseSign(1);
}

CLONE_WIZARD_PAGE CCloneTaskProgressPage::GetNextPage()
{
    if (m_runEnded)
        CloseWizard();
    return CLONE_PAGE_NONE;
}

void CCloneTaskProgressPage::OnButtonClick(CLONE_WIZARD_BUTTON button)
{
    if (button == CLONE_BUTTON_QUIT)
        OnQuitClicked();
}

void CCloneTaskProgressPage::OnQuitClicked()
{
    if (m_idle) {
        CloseWizard();
        return;
    }
    if (m_cancelRequested || m_runEnded || m_confirm != nullptr)
        return;
    GtkWidget* parent = nullptr;
    if (m_wizard != nullptr && m_wizard->GetBaseDialog() != nullptr)
        parent = m_wizard->GetBaseDialog()->GetDlgWidget();
    m_confirmEndedByReport = false;
    DLG_RESULT answer;
    {
        CGtkMessageBox box(parent, kCloneCancelTitle, GTK_MB_ICON_QUESTION, GTK_MB_YESNO, kCloneCancelText);
        m_confirm = box.GetDlgWidget();
        answer = box.RunDlg();
        m_confirm = nullptr;
        box.DestoryDlg();
    }
    if (m_confirmEndedByReport || answer != DLG_RESULT_OK)
        return;
    m_cancelRequested = 1;
    if (m_command != nullptr) {
        CCloneDataBase::Instance()->SetEndSign(1);
        m_command->RestoreUserCancel();
    }
    m_wizard->EnableCancelBtn(0);
}

unsigned long CCloneTaskProgressPage::BackCall(void* context, unsigned long message, void* data)
{
    return CloneBackCall(context, message, data);
}

void CCloneTaskProgressPage::InsertCloneInfo(const char* text, int bold, int red)
{
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(m_buffer, &end);
    gtk_text_buffer_insert(m_buffer, &end, "  ", -1);
    gtk_text_buffer_get_end_iter(m_buffer, &end);
    if (!bold && !red)
        gtk_text_buffer_insert(m_buffer, &end, text, -1);
    else if (red)
        gtk_text_buffer_insert_with_tags_by_name(m_buffer, &end, text, -1, "bold", "color_tag", nullptr);
    else
        gtk_text_buffer_insert_with_tags_by_name(m_buffer, &end, text, -1, "bold", nullptr);
    GtkTextMark* mark = gtk_text_buffer_get_mark(m_buffer, "scroll");
    gtk_text_buffer_get_end_iter(m_buffer, &end);
    gtk_text_buffer_move_mark(m_buffer, mark, &end);
    gtk_text_view_scroll_mark_onscreen(GTK_TEXT_VIEW(m_textView), mark);
    gtk_widget_queue_draw(m_textView);
    gtk_widget_show(m_textView);
}

void CCloneTaskProgressPage::UpdateProInfo(const char* totalText, double total, const char* currentText,
                                           double current)
{
    m_totalBar->SetPos(total);
    m_currentBar->SetPos(current);
    gtk_label_set_text(GTK_LABEL(m_totalLabel), totalText);
    gtk_label_set_text(GTK_LABEL(m_currentLabel), currentText);
}

std::string CCloneTaskProgressPage::LogText() const
{
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(m_buffer, &start, &end);
    gchar* text = gtk_text_buffer_get_text(m_buffer, &start, &end, FALSE);
    std::string out = text != nullptr ? text : "";
    g_free(text);
    return out;
}
