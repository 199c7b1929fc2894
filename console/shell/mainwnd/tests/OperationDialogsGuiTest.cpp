#include "CCloneDataBase.h"
#include "CCloneWizard.h"
#include "CChkImgWizard.h"
#include "CConsoleOperationDialogs.h"
#include "COperationLauncher.h"
#include "CRestoreWizardDialog.h"
#include "CUpdateInfoDlg.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "TitledDialogWatcher.h"
#include "VessmarRescan.h"
#include "vessmar/IVessmarModule.h"

#include <string>
#include <vector>

namespace {

IVessmarModule* OpenMissing()
{
    return OpenModuleT<IVessmarModule>("RvdNoSuchDeviceManager");
}

// The console's own scan dialog and wizards, answered by the watcher.
class OperationDialogsGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        SetVessmarOpener(OpenMissing); // no device manager: the scan ends at its first tick
        parent = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        ASSERT_TRUE(ShowAndSettle(parent));
    }
    void TearDown() override
    {
        SetVessmarOpener(nullptr);
        GuiTest::TearDown();
    }

    static void SendWindowClose(GtkDialog* dialog)
    {
        GdkEvent* close = gdk_event_new(GDK_DELETE);
        close->any.window = GDK_WINDOW(g_object_ref(GTK_WIDGET(dialog)->window));
        close->any.send_event = TRUE;
        gtk_main_do_event(close);
        gdk_event_free(close);
    }
    // The wizards' Cancel button (their rows hold Back, Next and Cancel, in that order).
    static void ClickCancel(GtkDialog* dialog)
    {
        if (GtkWidget* cancel = FindButton(GTK_WIDGET(dialog), "_Cancel"))
            gui_events::Click(cancel);
    }

    // The button under a mnemonic label anywhere in a window: the clone wizard keeps
    // its buttons in its own footer, not in the dialog's action area.
    static GtkWidget* FindButton(GtkWidget* widget, const char* label)
    {
        if (GTK_IS_BUTTON(widget) && gtk_button_get_label(GTK_BUTTON(widget)) != nullptr &&
            std::string(gtk_button_get_label(GTK_BUTTON(widget))) == label)
            return widget;
        if (!GTK_IS_CONTAINER(widget))
            return nullptr;
        GtkWidget* found = nullptr;
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child != nullptr && found == nullptr; child = child->next)
            found = FindButton(GTK_WIDGET(child->data), label);
        g_list_free(children);
        return found;
    }

    GtkWidget* parent = nullptr;
};

TEST_F(OperationDialogsGuiTest, RestoreScansThenRunsAWizardThatEndsItsOwnLife)
{
    const int liveBefore = CRestoreWizardDialog::LiveCount();
    TitledDialogWatcher watcher;
    int liveWhileUp = -1;
    watcher.AnswerTitled(CRestoreWizardDialog::kTitle, [&](GtkDialog* dialog) {
        liveWhileUp = CRestoreWizardDialog::LiveCount();
        EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(dialog)), GTK_WINDOW(parent));
        ClickCancel(dialog);
    });
    CConsoleOperationDialogs dialogs;
        COperationLauncher launcher(&dialogs);
    launcher.StartRestore(parent);
    EXPECT_EQ(watcher.seen, (std::vector<std::string>{CUpdateInfoDlg::kTitle, CRestoreWizardDialog::kTitle}));
    EXPECT_EQ(liveWhileUp, liveBefore + 1);
    EXPECT_EQ(CRestoreWizardDialog::LiveCount(), liveBefore);

    // Closed by the window manager instead of a button: gone all the same.
    watcher.seen.clear();
    watcher.AnswerTitled(CRestoreWizardDialog::kTitle, SendWindowClose);
    launcher.StartRestore(parent);
    EXPECT_EQ(watcher.seen.size(), 2u);
    EXPECT_EQ(CRestoreWizardDialog::LiveCount(), liveBefore);
}

TEST_F(OperationDialogsGuiTest, CloneEndSignIsClearedBeforeEachRunAndTheDialogDestroyedOnce)
{
    struct Case {
        const char* name;
        int staleSign;
        bool quitFromInside;
        int signAfter;
    };
    const Case cases[] = {
        {"Cancel closes the wizard from inside", 0, true, 1},
        {"the window manager's close acts as Cancel", 0, false, 1},
        {"a sign left by an earlier run is cleared while the wizard is up", 1, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCloneDataBase::Instance()->SetEndSign(c.staleSign);
        TitledDialogWatcher watcher;
        int signWhileUp = -1;
        int widthWhileUp = 0;
        watcher.AnswerTitled(CConsoleOperationDialogs::kCloneTitle, [&](GtkDialog* dialog) {
            signWhileUp = CCloneDataBase::Instance()->GetEndSign();
            widthWhileUp = GTK_WIDGET(dialog)->allocation.width;
            if (c.quitFromInside) {
                GtkWidget* quit = FindButton(GTK_WIDGET(dialog), "_Cancel");
                ASSERT_NE(quit, nullptr);
                gui_events::Click(quit);
            }
            else
                SendWindowClose(dialog);
        });
        CConsoleOperationDialogs dialogs;
        COperationLauncher launcher(&dialogs);
        launcher.StartClone(parent);
        gui_wait::Settle();
        EXPECT_EQ(watcher.seen,
                  (std::vector<std::string>{CUpdateInfoDlg::kTitle, CConsoleOperationDialogs::kCloneTitle}));
        EXPECT_EQ(signWhileUp, 0);
        // The given width is the least: the pages' disk maps may need a little more.
        EXPECT_GE(widthWhileUp, CConsoleOperationDialogs::kCloneWidth);
        EXPECT_EQ(CCloneDataBase::Instance()->GetEndSign(), c.signAfter);
        EXPECT_EQ(ModalDialogAnswerer::FindModalDialog(), nullptr) << "a clone dialog stayed on screen";
    }
}

TEST_F(OperationDialogsGuiTest, CheckImageScansThenRunsItsWizard)
{
    TitledDialogWatcher watcher;
    watcher.AnswerTitled(CChkImgWizard::kTitle, [&](GtkDialog* dialog) { ClickCancel(dialog); });
    CConsoleOperationDialogs dialogs;
        COperationLauncher launcher(&dialogs);
    launcher.StartCheckImage(parent);
    gui_wait::Settle();
    EXPECT_EQ(watcher.seen, (std::vector<std::string>{CUpdateInfoDlg::kTitle, CChkImgWizard::kTitle}));
    EXPECT_EQ(ModalDialogAnswerer::FindModalDialog(), nullptr);
}

} // namespace
