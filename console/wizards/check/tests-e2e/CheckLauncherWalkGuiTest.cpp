// The check wizard opened from the console's launcher, with real input under Xvfb
// over the real command channel, checker and container: the set's path put into the
// path entry (the user cannot type there; the browser fills it), then real clicks on
// Next and Proceed and on the result box's button, and the wizard gone with its
// clean-up scripts run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "CChkImgWizard.h"
#include "CConsoleOperationDialogs.h"
#include "COperationLauncher.h"
#include "CUpdateInfoDlg.h"
#include "ChannelFixture.h"
#include "DamagedSetCopy.h"
#include "EnvScriptsInBackground.h"
#include "EnvTestRoot.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"
#include "RecordingEnvCommandRunner.h"
#include "TitledDialogWatcher.h"
#include "VessmarRescan.h"
#include "vessmar/IVessmarModule.h"

namespace {

IVessmarModule* NoDeviceManager()
{
    return OpenModuleT<IVessmarModule>("RvdNoSuchDeviceManager");
}

// The first widget below widget that matches, depth first.
GtkWidget* FindWidget(GtkWidget* widget, const std::function<bool(GtkWidget*)>& matches)
{
    if (matches(widget))
        return widget;
    if (!GTK_IS_CONTAINER(widget))
        return nullptr;
    GtkWidget* found = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* child = children; child != nullptr && found == nullptr; child = child->next)
        found = FindWidget(GTK_WIDGET(child->data), matches);
    g_list_free(children);
    return found;
}

GtkWidget* ButtonLabelled(GtkWidget* window, const std::string& label)
{
    return FindWidget(window, [&](GtkWidget* w) {
        return GTK_IS_BUTTON(w) && gtk_button_get_label(GTK_BUTTON(w)) != nullptr &&
               label == gtk_button_get_label(GTK_BUTTON(w));
    });
}

std::string LabelsOf(GtkWidget* widget)
{
    std::string text;
    FindWidget(widget, [&](GtkWidget* w) {
        if (GTK_IS_LABEL(w))
            text += gtk_label_get_text(GTK_LABEL(w));
        return false;
    });
    return text;
}

// Clicks the box's first button; the box's text.
std::string ClickFirstButton(GtkDialog* box)
{
    const std::string text = LabelsOf(box->vbox);
    GList* buttons = gtk_container_get_children(GTK_CONTAINER(box->action_area));
    if (buttons != nullptr)
        gui_events::Click(GTK_WIDGET(buttons->data));
    g_list_free(buttons);
    return text;
}

// Types text, one key press a character (lower-case letters, digits and '-').
void Type(const std::string& text)
{
    for (const char c : text) {
        gui_events::TapKey(static_cast<unsigned char>(c));
        gui_wait::Pump();
    }
    gui_wait::Settle();
}

// In the password box of the wizard: a wrong password typed and confirmed (its box
// answered and its text kept), then the right one.
void GivePassword(GtkWidget* window, const std::string& password, std::string* wrongText)
{
    GtkWidget* entry = FindWidget(window, [](GtkWidget* w) {
        return GTK_IS_ENTRY(w) && !gtk_entry_get_visibility(GTK_ENTRY(w)) && GTK_WIDGET_VISIBLE(w);
    });
    GtkWidget* confirm = ButtonLabelled(window, "C_onfirm");
    ASSERT_NE(nullptr, entry);
    ASSERT_NE(nullptr, confirm);
    for (const std::string& typed : {password + "x", password}) {
        gui_events::Focus(window);
        gui_events::Click(entry);
        gui_wait::Settle();
        Type(typed);
        EXPECT_EQ(typed, gtk_entry_get_text(GTK_ENTRY(entry)));
        // The wrong one's box runs inside the click, answered from a timer of its own.
        TitledDialogWatcher boxes;
        boxes.AnswerTitled("Error", [&](GtkDialog* box) { *wrongText = ClickFirstButton(box); });
        gui_events::Click(confirm);
        gui_wait::Settle(200);
    }
}

class CheckLauncherWalkGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        // The launcher's device scan ends at its first tick without a device manager.
        SetVessmarOpener(NoDeviceManager);
        parent = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        ASSERT_TRUE(ShowAndSettle(parent));
        root.Write("/mnt/volinfo", "");
    }
    void TearDown() override
    {
        SetVessmarOpener(nullptr);
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
    GtkWidget* parent = nullptr;
};

} // namespace

TEST_F(CheckLauncherWalkGuiTest, SetsPutIntoThePathEntryAreCheckedToTheirResultBoxes)
{
    const ImageSet clean = BackUpFixture("check-launcher-clean");
    const ImageSet locked = BackUpFixture("check-launcher-locked", L"geheim-42");
    ASSERT_EQ(1u, clean.files.size());
    ASSERT_EQ(1u, locked.files.size());
    // One byte flipped in a stored block of the second volume.
    const std::string damaged = CopySet(clean.folder, "check-launcher-damaged") + "/" + clean.files[0];
    const StoredBlockPlace place = LocateStoredBlock(damaged, 1);
    ASSERT_GT(place.stored, 0u);
    ASSERT_NO_FATAL_FAILURE(FlipByte(damaged, place.filePos + place.stored / 2));

    // A damaged copy under another name in a folder that also holds the untouched
    // original: the copy's own bytes are what is checked.
    const std::string beside = CopySet(clean.folder, "check-launcher-beside");
    const std::string besideCopy = beside + "/DAMAGED-" + clean.files[0];
    ASSERT_EQ(0, std::system(("cp '" + beside + "/" + clean.files[0] + "' '" + besideCopy + "'").c_str()));
    const StoredBlockPlace besidePlace = LocateStoredBlock(besideCopy, 1);
    ASSERT_GT(besidePlace.stored, 0u);
    ASSERT_NO_FATAL_FAILURE(FlipByte(besideCopy, besidePlace.filePos + besidePlace.stored / 2));

    const std::string succeeded = "Succeed in checking backup image!";
    const struct Case {
        const char* what;
        std::string path;
        std::string password; // typed after a wrong one; empty for an open set
        std::string title;    // of the result box
        bool passes;
    } cases[] = {
        {"a clean set", clean.folder + "/" + clean.files[0], "", "Information", true},
        {"a copy damaged in its second volume", damaged, "", "Error", false},
        {"a damaged copy beside its original", besideCopy, "", "Error", false},
        {"a protected set", locked.folder + "/" + locked.files[0], "geheim-42", "Information", true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        runner.runs.clear();
        TitledDialogWatcher watcher;
        bool walked = false, proceeded = false;
        std::string wrongPasswordText;
        const auto walk = [&](GtkWidget* window) {
            // The "File name" entry: the one that takes a path of up to 512 characters.
            GtkWidget* entry = FindWidget(window, [](GtkWidget* w) {
                return GTK_IS_ENTRY(w) && gtk_entry_get_max_length(GTK_ENTRY(w)) == 512;
            });
            GtkWidget* next = ButtonLabelled(window, "_Next>");
            ASSERT_NE(nullptr, entry);
            ASSERT_NE(nullptr, next);
            EXPECT_FALSE(GTK_WIDGET_IS_SENSITIVE(next));
            gtk_entry_set_text(GTK_ENTRY(entry), k.path.c_str());
            gui_wait::Settle();
            if (!k.password.empty()) {
                ASSERT_NO_FATAL_FAILURE(GivePassword(window, k.password, &wrongPasswordText));
            }
            // The set's volumes are listed and ticked: Next goes on to the summary.
            ASSERT_TRUE(gui_wait::Until([&] { return GTK_WIDGET_IS_SENSITIVE(next); }, 20000));
            gui_events::Click(next);
            gui_wait::Settle();
            GtkWidget* proceed = ButtonLabelled(window, "_Proceed");
            ASSERT_NE(nullptr, proceed);
            gui_events::Click(proceed);
            gui_wait::Settle();
            proceeded = true;
        };
        watcher.AnswerTitled(CChkImgWizard::kTitle, [&](GtkDialog* dialog) {
            // Seen again once the result box has gone, on its way out: walked once only.
            if (walked)
                return;
            walked = true;
            walk(GTK_WIDGET(dialog));
            // A walk that stopped short leaves the wizard by its Cancel button.
            GtkWidget* cancel = ButtonLabelled(GTK_WIDGET(dialog), "_Cancel");
            if (!proceeded && cancel != nullptr)
                gui_events::Click(cancel);
        });
        std::string resultText;
        watcher.AnswerTitled(k.title, [&](GtkDialog* box) { resultText = ClickFirstButton(box); });
        CConsoleOperationDialogs dialogs;
        COperationLauncher launcher(&dialogs);
        launcher.StartCheckImage(parent);
        gui_wait::Settle();

        EXPECT_TRUE(proceeded);
        ASSERT_GE(watcher.seen.size(), 3u);
        EXPECT_EQ((std::vector<std::string>{CUpdateInfoDlg::kTitle, CChkImgWizard::kTitle, k.title}),
                  std::vector<std::string>(watcher.seen.begin(), watcher.seen.begin() + 3));
        if (k.passes) {
            EXPECT_NE(std::string::npos, resultText.find(succeeded)) << resultText;
        } else {
            EXPECT_EQ(std::string::npos, resultText.find(succeeded)) << resultText;
            EXPECT_GT(resultText.size(), 8u) << "the checker's code has a text";
        }
        if (!k.password.empty()) {
            EXPECT_NE(std::string::npos, wrongPasswordText.find("The password is incorrect!")) << wrongPasswordText;
        }
        EXPECT_EQ(nullptr, ModalDialogAnswerer::FindModalDialog()) << "the wizard stayed on screen";
        EXPECT_TRUE(Ran("/mnt/umnt"));
        EXPECT_TRUE(Ran("/mnt/umwp"));
    }
}

// The clean-up scripts after the result box, as slow stand-ins: the console keeps
// drawing while they run, and its window takes no click until they have ended.
TEST_F(CheckLauncherWalkGuiTest, TheCleanUpScriptsRunWithoutFreezingTheConsoleOrTakingItsInput)
{
    const ImageSet clean = BackUpFixture("check-launcher-slow-cleanup");
    ASSERT_EQ(1u, clean.files.size());
    // The real runner: each script marks its start and end around a second's sleep.
    SetEnvCommandRunner(nullptr);
    for (const std::string name : {"umnt", "umwp"}) {
        root.Write("/mnt/" + name, "#!/bin/sh\ntouch \"$RVD_ENV_ROOT/" + name + ".began\"\nsleep 1\ntouch \"$RVD_ENV_ROOT/" +
                                       name + ".ended\"\n");
        ASSERT_EQ(0, chmod((root.Root() + "/mnt/" + name).c_str(), 0755));
    }
    const auto exists = [&](const std::string& name) { return access((root.Root() + "/" + name).c_str(), F_OK) == 0; };

    // The console's window: a button a stray click could reach.
    GtkWidget* button = gtk_button_new_with_label("behind the wizard");
    gtk_container_add(GTK_CONTAINER(parent), button);
    gtk_widget_show(button);
    int clicks = 0;
    g_signal_connect_swapped(button, "clicked", G_CALLBACK(+[](int* n) { ++*n; }), &clicks);
    gui_wait::Settle();

    // The main loop's longest pause from the result box's OK on.
    gint64 last = 0, longestGap = 0;
    bool sawWaitWhileRunning = false;
    struct Ticks {
        gint64* last;
        gint64* longest;
        bool* sawWait;
        GtkWidget* window;
    } ticks{&last, &longestGap, &sawWaitWhileRunning, parent};
    // Started at the result box: a timer running earlier would keep the walk's waits
    // for a quiet moment from ever seeing one.
    guint timer = 0;
    const auto startTicks = [&] {
        timer = g_timeout_add(
        20,
        +[](gpointer data) -> gboolean {
            auto* t = static_cast<Ticks*>(data);
            const gint64 now = g_get_monotonic_time();
            if (*t->last != 0 && now - *t->last > *t->longest)
                *t->longest = now - *t->last;
            if (*t->last != 0)
                *t->last = now;
            if (EnvScriptsRunning() && !GTK_WIDGET_SENSITIVE(t->window))
                *t->sawWait = true;
            return TRUE;
        },
        &ticks);
    };

    TitledDialogWatcher watcher;
    bool walked = false;
    bool proceeded = false;
    const auto walk = [&](GtkWidget* window) {
        GtkWidget* entry = FindWidget(window, [](GtkWidget* w) {
            return GTK_IS_ENTRY(w) && gtk_entry_get_max_length(GTK_ENTRY(w)) == 512;
        });
        GtkWidget* next = ButtonLabelled(window, "_Next>");
        ASSERT_NE(nullptr, entry);
        ASSERT_NE(nullptr, next);
        gtk_entry_set_text(GTK_ENTRY(entry), (clean.folder + "/" + clean.files[0]).c_str());
        ASSERT_TRUE(gui_wait::Until([&] { return GTK_WIDGET_IS_SENSITIVE(next); }, 20000));
        gui_events::Click(next);
        gui_wait::Settle();
        GtkWidget* proceed = ButtonLabelled(window, "_Proceed");
        ASSERT_NE(nullptr, proceed);
        gui_events::Click(proceed);
        gui_wait::Settle();
        proceeded = true;
    };
    watcher.AnswerTitled(CChkImgWizard::kTitle, [&](GtkDialog* dialog) {
        if (walked)
            return;
        walked = true;
        walk(GTK_WIDGET(dialog));
        // A walk that stopped short leaves the wizard by its Cancel button.
        GtkWidget* cancel = ButtonLabelled(GTK_WIDGET(dialog), "_Cancel");
        if (!proceeded && cancel != nullptr)
            gui_events::Click(cancel);
    });
    watcher.AnswerTitled("Information", [&](GtkDialog* box) {
        last = g_get_monotonic_time(); // from the OK on
        startTicks();
        ClickFirstButton(box);
    });
    CConsoleOperationDialogs dialogs;
    COperationLauncher launcher(&dialogs);
    launcher.StartCheckImage(parent);

    // The wizard is gone and the scripts are still running: a click on the console's
    // window is not taken, and the window shows it waits.
    ASSERT_TRUE(proceeded);
    EXPECT_EQ(nullptr, ModalDialogAnswerer::FindModalDialog());
    EXPECT_FALSE(exists("umwp.ended")) << "the scripts ran before the console went on";
    EXPECT_FALSE(GTK_WIDGET_SENSITIVE(parent));
    GdkCursor* cursor = gdk_window_get_cursor(parent->window);
    EXPECT_TRUE(cursor != nullptr && gdk_cursor_get_cursor_type(cursor) == GDK_WATCH);
    gui_events::Click(button);
    gui_wait::Settle();
    EXPECT_EQ(0, clicks);

    ASSERT_TRUE(gui_wait::Until([&] { return exists("umwp.ended") && !EnvScriptsRunning(); }, 20000));
    gui_wait::Settle();
    if (timer != 0)
        g_source_remove(timer);
    EXPECT_TRUE(exists("umnt.ended"));
    EXPECT_TRUE(sawWaitWhileRunning);
    EXPECT_LT(longestGap, 700 * 1000) << "the main loop stood still while the scripts ran";
    EXPECT_TRUE(GTK_WIDGET_SENSITIVE(parent));
    EXPECT_EQ(nullptr, gdk_window_get_cursor(parent->window));
    gui_events::Click(button);
    gui_wait::Settle();
    EXPECT_EQ(1, clicks);
}
