// The disc change dialog under Xvfb: its question, the disc's files listed once
// however often "Display CD" is pressed, and the OK flag.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "CNoVersionDlg.h"
#include "EnvTestRoot.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"
#include "PixelSnapshot.h"
#include "RecordingEnvCommandRunner.h"

namespace {
class NoVersionDlgGuiTest : public GuiTest {};
} // namespace

TEST_F(NoVersionDlgGuiTest, QuestionNamesADiscOrFilesWhateverTheOtherMode)
{
    EXPECT_EQ(CNoVersionDlg::QuestionText("SET_2", 0), "Please insert the disc SET_2");
    EXPECT_EQ(CNoVersionDlg::QuestionText("a02.rvd", 1), "Please insert the disc with a02.rvd files");
    EXPECT_EQ(CNoVersionDlg::QuestionText("a02.rvd", 7), "Please insert the disc with a02.rvd files");
}

TEST_F(NoVersionDlgGuiTest, DisplayCdListsTheFolderOnceAndOkIsRemembered)
{
    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
    const std::string folder = root.Root() + "/mnt/CD1/set";
    root.Write("/mnt/CD1/set/a01.rvd", "x");
    root.Write("/mnt/CD1/set/readme.txt", "x");
    root.MakeFolders("/mnt/CD1/set/sub");
    const std::string path = folder + "/a02.rvd";

    CNoVersionDlg dialog(nullptr, "a02.rvd", 300, 200, 1);
    dialog.SetFilePath(path.c_str());
    ModalDialogAnswerer answerer([&](GtkDialog*) {
        EXPECT_EQ(dialog.RowCount(), 0);
        for (int press = 0; press < 2; ++press) {
            gui_events::Click(dialog.GetBrowseButton());
            gui_wait::Settle();
            EXPECT_EQ(dialog.RowCount(), 2) << "press " << press;
        }
        PixelSnapshot shot = PixelSnapshot::OfWidget(dialog.GetDialog());
        const std::string artifacts = RVD_ARTIFACTS_DIR;
        g_mkdir_with_parents(artifacts.c_str(), 0755);
        shot.SaveForInspection((artifacts + "/disc-change-dialog.png").c_str());
        gui_events::Click(dialog.GetOkButton());
        gui_wait::Settle();
    });
    dialog.RunDlg();
    dialog.DestoryDlg();
    EXPECT_TRUE(answerer.Answered());
    EXPECT_EQ(dialog.IsOKPressed(), 1);
    EXPECT_EQ(dialog.GetDialog(), nullptr);
    // Each press rescanned the discs first.
    EXPECT_EQ(runner.runs.size(), 2u);
}

TEST_F(NoVersionDlgGuiTest, CancelOrClosingTheWindowLeavesTheFlagOff)
{
    for (bool close : {false, true}) {
        CNoVersionDlg dialog(nullptr, "SET_2", 300, 200, 0);
        ModalDialogAnswerer answerer([&](GtkDialog* d) {
            if (close) {
                GdkEvent* event = gdk_event_new(GDK_DELETE);
                event->any.window = GDK_WINDOW(g_object_ref(GTK_WIDGET(d)->window));
                gtk_main_do_event(event);
                gdk_event_free(event);
            } else {
                gui_events::Click(dialog.GetCancelButton());
            }
            gui_wait::Settle();
        });
        dialog.RunDlg();
        dialog.DestoryDlg();
        EXPECT_TRUE(answerer.Answered());
        EXPECT_EQ(dialog.IsOKPressed(), 0) << (close ? "closed" : "cancel");
    }
}
