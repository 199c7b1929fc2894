// The check wizard opened from the console's launcher, with real input under Xvfb
// over the real command channel, checker and container: the set's path put into the
// path entry (the user cannot type there; the browser fills it), then real clicks on
// Next and Proceed and on the result box's button, and the wizard gone with its
// clean-up scripts run.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CChkImgWizard.h"
#include "CConsoleOperationDialogs.h"
#include "COperationLauncher.h"
#include "CUpdateInfoDlg.h"
#include "ChannelFixture.h"
#include "DamagedSetCopy.h"
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
