// The check wizard inside its real frame under Xvfb, over a scripted command object:
// an image chosen by its path, the summary, the check with its blocks and its end,
// a protected set, and the cancel question; each page saved as a picture.
#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <map>

#include "CChkImgProceedPage.h"
#include "CChkImgSummaryPage.h"
#include "CChkImgWizard.h"
#include "CScriptedTasque.h"
#include "CSelectVolumePage.h"
#include "DLG_RESULT.h"
#include "EnvTestRoot.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"
#include "PixelSnapshot.h"
#include "RecordingEnvCommandRunner.h"

namespace {

void Save(GtkWidget* window, const std::string& name)
{
    gui_wait::Settle(150);
    PixelSnapshot shot = PixelSnapshot::OfWidget(window);
    ASSERT_TRUE(shot.Valid());
    const std::string artifacts = RVD_ARTIFACTS_DIR;
    g_mkdir_with_parents(artifacts.c_str(), 0755);
    shot.SaveForInspection((artifacts + "/" + name).c_str());
}

// Answers message boxes by title, from a timer that also runs inside their own
// loops; records the title and the text of each box answered.
class BoxResponder {
public:
    BoxResponder() { source_ = g_timeout_add(50, &BoxResponder::Tick, this); }
    ~BoxResponder() { g_source_remove(source_); }

    std::map<std::string, int> responses; // title -> response
    std::map<std::string, std::function<void(GtkWidget*)>> before; // title -> called first with the box
    std::vector<std::pair<std::string, std::string>> seen;

private:
    static void CollectText(GtkWidget* widget, gpointer out)
    {
        if (GTK_IS_LABEL(widget))
            *static_cast<std::string*>(out) += gtk_label_get_text(GTK_LABEL(widget));
        else if (GTK_IS_CONTAINER(widget))
            gtk_container_foreach(GTK_CONTAINER(widget), &BoxResponder::CollectText, out);
    }
    static gboolean Tick(gpointer self)
    {
        auto* r = static_cast<BoxResponder*>(self);
        GList* toplevels = gtk_window_list_toplevels();
        for (GList* it = toplevels; it; it = it->next) {
            GtkWidget* w = GTK_WIDGET(it->data);
            if (!GTK_IS_DIALOG(w) || !gtk_widget_get_mapped(w) || r->answered_.count(w))
                continue;
            const gchar* title = gtk_window_get_title(GTK_WINDOW(w));
            auto found = r->responses.find(title ? title : "");
            if (found == r->responses.end())
                continue;
            std::string text;
            CollectText(GTK_DIALOG(w)->vbox, &text);
            r->seen.push_back({found->first, text});
            r->answered_[w] = true;
            auto hook = r->before.find(found->first);
            if (hook != r->before.end())
                hook->second(w);
            gtk_dialog_response(GTK_DIALOG(w), found->second);
            break;
        }
        g_list_free(toplevels);
        return TRUE;
    }
    guint source_ = 0;
    std::map<GtkWidget*, bool> answered_;
};

_KS_VOLUME Volume(uint16_t number, uint8_t letter, uint8_t fs, uint8_t type, uint64_t total)
{
    _KS_VOLUME v{};
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = 256;
    v.VolumeNumber = number;
    v.PartitionNumber = number;
    v.SectorsPerCluster = 8;
    v.DriveLetter = letter;
    v.Flags = KS_VOLFLAG_PRIMARY;
    v.FileSystem = fs;
    v.PartitionType = type;
    v.BytesPerSector = 512;
    v.PartitionStart = 63 + number * 300000ull;
    v.PartitionStartLow = uint32_t(v.PartitionStart);
    v.StartLessHidden = v.PartitionStart;
    v.TotalSectors = total;
    v.HiddenPlusTotal = total;
    v.UsedSectors = total / 4;
    v.Heads = 255;
    v.SectorsPerTrack = 63;
    return v;
}

_KS_PROGRESS_INFO Step(uint16_t item, uint32_t state, uint32_t total)
{
    _KS_PROGRESS_INFO p{};
    p.CurrentItem = item;
    p.State = state;
    p.OverallPercent = total;
    p.ItemPercent = total;
    return p;
}

size_t Occurrences(const std::string& text, const std::string& piece)
{
    size_t n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++n;
    return n;
}

class CheckWizardGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        std::setlocale(LC_ALL, "C.UTF-8");
        image = root.Root() + "/mnt/P1/sets/set.rvd";
        root.Write("/mnt/P1/sets/set.rvd", std::string(512 * 1024, 'x'));
        root.Write("/mnt/volinfo", "/dev/sda1 " + root.Root() + "/mnt/P1\n");
        tasque->versions = {_KS_VERSION{}};
        tasque->volumes = {Volume(0, 2, KS_FS_FAT16, 0x06, 200000), Volume(1, 0xFF, KS_FS_NTFS, 0x07, 400000)};
        tasque->comment = u"Nightly set";
    }
    void TearDown() override
    {
        delete tasque;
        GuiTest::TearDown();
    }
    bool Ran(const std::string& script) const
    {
        for (const auto& run : runner.runs)
            if (run == std::vector<std::string>{root.Root() + script})
                return true;
        return false;
    }

    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
    CScriptedTasque* tasque = new CScriptedTasque();
    std::string image;
};

} // namespace

TEST_F(CheckWizardGuiTest, AGoodSetIsChosenSummedUpAndChecked)
{
    for (int i = 0; i < 10; ++i)
        tasque->checkTimeline.push_back(Step(0, 2, uint32_t(i * 4)));
    for (int i = 0; i < 10; ++i)
        tasque->checkTimeline.push_back(Step(1, 2, uint32_t(50 + i * 4)));
    tasque->checkTimeline.push_back(Step(1, 3, 100));
    BoxResponder boxes;
    boxes.responses["Information"] = DLG_RESULT_OK;
    CChkImgWizard* wizard = new CChkImgWizard(nullptr, tasque);
    std::string progressText;
    ModalDialogAnswerer answerer(
        [&](GtkDialog*) {
            auto* select = static_cast<CSelectVolumePage*>(wizard->GetPageObject(0));
            gtk_entry_set_text(GTK_ENTRY(select->FileNameEntry()), image.c_str());
            gui_wait::Settle();
            EXPECT_STREQ(wizard->GetParam()->szImagePath, image.c_str());
            EXPECT_TRUE(GTK_WIDGET_VISIBLE(select->InfoBox()));
            EXPECT_FALSE(GTK_WIDGET_VISIBLE(select->PasswordBox()));
            EXPECT_TRUE(GTK_WIDGET_IS_SENSITIVE(wizard->NextButton()));
            Save(wizard->GetDlg(), "check-wizard-select-listed.png");

            gui_events::Click(wizard->NextButton());
            gui_wait::Settle();
            ASSERT_EQ(wizard->GetCurrentPage(), 1);
            auto* summary = static_cast<CChkImgSummaryPage*>(wizard->GetPageObject(1));
            EXPECT_NE(summary->Text().find("   Drive letter: C"), std::string::npos) << summary->Text();
            EXPECT_NE(summary->Text().find("   Drive letter: *"), std::string::npos);
            EXPECT_NE(summary->Text().find("    File system: FAT16"), std::string::npos);
            Save(wizard->GetDlg(), "check-wizard-summary.png");
            // Back and Next again: written anew, not appended.
            gui_events::Click(wizard->BackButton());
            gui_wait::Settle();
            EXPECT_EQ(wizard->GetCurrentPage(), 0);
            gui_events::Click(wizard->NextButton());
            gui_wait::Settle();
            EXPECT_EQ(Occurrences(summary->Text(), "Drive letter"), 2u);

            gui_events::Click(wizard->NextButton()); // "_Proceed"
            gui_wait::Settle();
            ASSERT_EQ(wizard->GetCurrentPage(), 2);
            auto* proceed = static_cast<CChkImgProceedPage*>(wizard->GetPageObject(2));
            EXPECT_TRUE(gui_wait::Until([&] { return proceed->Text().find("Checking image") != std::string::npos; }));
            EXPECT_FALSE(GTK_WIDGET_IS_SENSITIVE(wizard->BackButton()));
            EXPECT_FALSE(GTK_WIDGET_VISIBLE(wizard->GetHelpButton()));
            Save(wizard->GetDlg(), "check-wizard-running.png");
            boxes.before["Information"] = [&](GtkWidget* box) {
                progressText = proceed->Text();
                Save(box, "check-wizard-result-box.png");
            };
            gui_wait::Until([&] { return wizard->GetDlg() == nullptr; }, 15000);
        },
        30000);
    wizard->SetCurrentPage(0);
    wizard->RunDlg();
    EXPECT_TRUE(answerer.Answered());
    EXPECT_FALSE(answerer.TimedOut());
    EXPECT_EQ(Occurrences(progressText, "Checking image"), 2u);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_NE(boxes.seen[0].second.find("Succeed in checking backup image!"), std::string::npos);
    EXPECT_EQ(tasque->CountOf(TasqueOp::AddCheck), 2u);
    EXPECT_TRUE(Ran("/mnt/mwp"));
    EXPECT_TRUE(Ran("/mnt/umnt"));
    EXPECT_TRUE(Ran("/mnt/umwp"));
    delete wizard;
    EXPECT_EQ(tasque->Releases(), 1);
}

TEST_F(CheckWizardGuiTest, AProtectedSetListsItsVolumesAfterTheRightPassword)
{
    tasque->passwordProtected = true;
    tasque->password = L"secret";
    BoxResponder boxes;
    boxes.responses["Error"] = DLG_RESULT_OK;
    CChkImgWizard* wizard = new CChkImgWizard(nullptr, tasque);
    ModalDialogAnswerer answerer(
        [&](GtkDialog*) {
            auto* select = static_cast<CSelectVolumePage*>(wizard->GetPageObject(0));
            gtk_entry_set_text(GTK_ENTRY(select->FileNameEntry()), image.c_str());
            gui_wait::Settle();
            EXPECT_TRUE(GTK_WIDGET_VISIBLE(select->PasswordBox()));
            EXPECT_FALSE(GTK_WIDGET_VISIBLE(select->InfoBox()));
            EXPECT_FALSE(GTK_WIDGET_IS_SENSITIVE(wizard->NextButton()));
            Save(wizard->GetDlg(), "check-wizard-select-protected.png");
            gtk_entry_set_text(GTK_ENTRY(select->PasswordEntry()), "wrong");
            gui_events::Click(select->ConfirmButton());
            gui_wait::Settle(200);
            EXPECT_FALSE(select->Logic().PasswordAccepted());
            gtk_entry_set_text(GTK_ENTRY(select->PasswordEntry()), "secret");
            gui_events::Click(select->ConfirmButton());
            gui_wait::Settle();
            EXPECT_TRUE(select->Logic().PasswordAccepted());
            EXPECT_TRUE(GTK_WIDGET_VISIBLE(select->InfoBox()));
            EXPECT_TRUE(GTK_WIDGET_IS_SENSITIVE(wizard->NextButton()));
            gui_events::Click(wizard->CancelButton());
            gui_wait::Settle();
        },
        30000);
    wizard->SetCurrentPage(0);
    wizard->RunDlg();
    EXPECT_TRUE(answerer.Answered());
    EXPECT_FALSE(answerer.TimedOut());
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_NE(boxes.seen[0].second.find("The password is incorrect!"), std::string::npos);
    delete wizard;
}

TEST_F(CheckWizardGuiTest, YesToTheCancelQuestionDisablesCancelUntilTheCheckerStops)
{
    for (int i = 0; i < 40; ++i)
        tasque->checkTimeline.push_back(Step(0, 2, uint32_t(i)));
    tasque->checkTimeline.push_back(Step(0, 4, 40));
    BoxResponder boxes;
    boxes.responses["Question"] = DLG_RESULT_OK;
    boxes.responses["Information"] = DLG_RESULT_OK;
    CChkImgWizard* wizard = new CChkImgWizard(nullptr, tasque);
    bool cancelSensitiveAfterYes = true;
    ModalDialogAnswerer answerer(
        [&](GtkDialog*) {
            auto* select = static_cast<CSelectVolumePage*>(wizard->GetPageObject(0));
            gtk_entry_set_text(GTK_ENTRY(select->FileNameEntry()), image.c_str());
            gui_wait::Settle();
            gui_events::Click(wizard->NextButton());
            gui_wait::Settle();
            gui_events::Click(wizard->NextButton());
            gui_wait::Settle();
            ASSERT_EQ(wizard->GetCurrentPage(), 2);
            boxes.before["Information"] = [&](GtkWidget*) {
                cancelSensitiveAfterYes = wizard->CancelButton() && GTK_WIDGET_IS_SENSITIVE(wizard->CancelButton());
            };
            gui_events::Click(wizard->CancelButton());
            gui_wait::Until([&] { return wizard->GetDlg() == nullptr; }, 15000);
        },
        30000);
    wizard->SetCurrentPage(0);
    wizard->RunDlg();
    EXPECT_FALSE(answerer.TimedOut());
    EXPECT_EQ(tasque->CountOf(TasqueOp::CheckUserCancel), 1u);
    EXPECT_FALSE(cancelSensitiveAfterYes);
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_NE(boxes.seen[0].second.find("Are you sure you want to cancel this operation?"), std::string::npos);
    EXPECT_NE(boxes.seen[1].second.find("Image check is canceled."), std::string::npos);
    delete wizard;
}
