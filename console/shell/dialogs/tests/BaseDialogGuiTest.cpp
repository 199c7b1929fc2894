#include "CBaseDialog.h"
#include "CGtkMessageBox.h"
#include "CHelpViewerLauncher.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"
#include "PixelSnapshot.h"

#include <gdk/gdkkeysyms.h>

#include <string>
#include <vector>

namespace {

class BaseDialogGuiTest : public GuiTest {};

struct Placed {
    int width = 0;
    std::vector<int> x;
};

// Runs the dialog and reads where its action buttons are while it is on screen.
Placed RunAndMeasure(CBaseDialog& dialog)
{
    Placed placed;
    ModalDialogAnswerer answerer([&](GtkDialog* d) {
        placed.width = GTK_WIDGET(d)->allocation.width;
        for (int i = 0; i < dialog.GetButtonCount(); ++i)
            placed.x.push_back(dialog.GetButtonWidget(i)->allocation.x);
        gtk_dialog_response(d, DLG_RESULT_CANCEL);
    });
    dialog.RunDlg();
    return placed;
}

TEST_F(BaseDialogGuiTest, ThreeButtonsArePlacedByTheRequestedWidth)
{
    {
        CBaseDialog wide(nullptr, "Wide", 320, 120);
        wide.AddButton("_Back", DLG_RESULT_OK);
        wide.AddButton("_Next", static_cast<DLG_RESULT>(2));
        wide.AddButton("_Cancel", DLG_RESULT_CANCEL);
        const Placed p = RunAndMeasure(wide);
        ASSERT_EQ(p.width, 320);
        EXPECT_EQ(p.x, (std::vector<int>{320 / 2 - 159, 320 / 2 - 43, 320 / 2 + 73}));
        wide.DestoryDlg();
    }
    {
        CBaseDialog narrow(nullptr, "Narrow", 300, 120);
        narrow.AddButton("_Back", DLG_RESULT_OK);
        narrow.AddButton("_Next", static_cast<DLG_RESULT>(2));
        narrow.AddButton("_Cancel", DLG_RESULT_CANCEL);
        const Placed p = RunAndMeasure(narrow);
        ASSERT_EQ(p.width, 300);
        EXPECT_EQ(p.x, (std::vector<int>{11, 300 / 2 - 44, 300 / 2 + 56}));
        narrow.DestoryDlg();
    }
}

TEST_F(BaseDialogGuiTest, AFourthButtonIsShownButNotCounted)
{
    CBaseDialog dialog(nullptr, "Four", 400, 120);
    for (const char* label : {"_One", "_Two", "_Three", "_Four"})
        dialog.AddButton(label, DLG_RESULT_OK);
    EXPECT_EQ(dialog.GetButtonCount(), 3);
    EXPECT_NE(dialog.GetButtonWidget(2), nullptr);
    EXPECT_EQ(dialog.GetButtonWidget(3), nullptr);
    EXPECT_EQ(dialog.GetButtonWidget(-1), nullptr);
    const Placed p = RunAndMeasure(dialog);
    EXPECT_EQ(p.x, (std::vector<int>{400 / 2 - 159, 400 / 2 - 43, 400 / 2 + 73}));
    dialog.DestoryDlg();
}

// A dialog that puts its only button at the right edge, as derived dialogs may.
class RightEdgeDialog : public CBaseDialog {
public:
    explicit RightEdgeDialog(bool rightEdge) : CBaseDialog(nullptr, "One button", 400, 120)
    {
        m_singleButtonAtRightEdge = rightEdge;
        AddButton("_Close", DLG_RESULT_CANCEL);
    }
};

TEST_F(BaseDialogGuiTest, ASingleButtonSitsInTheMiddleOrAtTheRightEdge)
{
    struct {
        bool rightEdge;
        int x;
    } cases[] = {{false, 400 / 2 - 43}, {true, 400 - 100}};
    for (const auto& c : cases) {
        RightEdgeDialog dialog(c.rightEdge);
        const Placed p = RunAndMeasure(dialog);
        ASSERT_EQ(p.width, 400);
        EXPECT_EQ(p.x, std::vector<int>{c.x}) << "right edge " << c.rightEdge;
        dialog.DestoryDlg();
    }
}

TEST_F(BaseDialogGuiTest, ButtonOperationsReachTheirButtons)
{
    CBaseDialog dialog(nullptr, "Operations", 400, 120);
    EXPECT_STREQ(dialog.GetHelpName(), "UnKnow");
    EXPECT_EQ(dialog.GetDefaultBtn(), nullptr);
    dialog.AddButton("_Details", static_cast<DLG_RESULT>(6));
    dialog.AddButton("_Yes", DLG_RESULT_OK);
    dialog.AddButton("_No", DLG_RESULT_CANCEL);
    GtkDialog* widget = GTK_DIALOG(dialog.GetDialog());
    GtkWindow* window = GTK_WINDOW(widget);

    // The extra button is what GetDefaultBtn names; it ends the dialog with nothing.
    ASSERT_NE(dialog.GetDefaultBtn(), nullptr);
    EXPECT_EQ(dialog.GetDefaultBtn(), dialog.GetButtonWidget(0));
    EXPECT_EQ(gtk_dialog_get_response_for_widget(widget, dialog.GetDefaultBtn()), GTK_RESPONSE_NONE);
    EXPECT_EQ(gtk_dialog_get_response_for_widget(widget, dialog.GetButtonWidget(1)), DLG_RESULT_OK);
    EXPECT_EQ(gtk_dialog_get_response_for_widget(widget, dialog.GetButtonWidget(2)), DLG_RESULT_CANCEL);

    // The reject button took the focus when it was added; SetButtonFocus moves it,
    // and a position with no button leaves it where it is.
    EXPECT_EQ(gtk_window_get_focus(window), dialog.GetButtonWidget(2));
    dialog.SetButtonFocus(1);
    EXPECT_EQ(gtk_window_get_focus(window), dialog.GetButtonWidget(1));
    dialog.SetButtonFocus(3);
    EXPECT_EQ(gtk_window_get_focus(window), dialog.GetButtonWidget(1));

    dialog.SetButtonLabel(1, "_Restore");
    dialog.SetButtonLabel(3, "_Nowhere");
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(dialog.GetButtonWidget(1))), "_Restore");
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(dialog.GetButtonWidget(2))), "_No");

    // On screen, Enter presses the button that was given the focus.
    GtkWidget* focusedAtRun = nullptr;
    ModalDialogAnswerer answerer([&](GtkDialog* d) {
        focusedAtRun = gtk_window_get_focus(GTK_WINDOW(d));
        ModalDialogAnswerer::TapKey(GDK_Return)(d);
    });
    EXPECT_EQ(dialog.RunDlg(), DLG_RESULT_OK);
    EXPECT_EQ(focusedAtRun, dialog.GetButtonWidget(1));
    EXPECT_FALSE(answerer.TimedOut());
    dialog.DestoryDlg();
}

class SwallowEscape : public CBaseDialog {
public:
    SwallowEscape() : CBaseDialog(nullptr, "Keys", 300, 100) { AddButton("_OK", DLG_RESULT_OK); }
    int OnKeyPressCallBack(unsigned int keyval) override
    {
        seen.push_back(keyval);
        return keyval == GDK_Escape ? 1 : 0;
    }
    std::vector<unsigned> seen;
};

TEST_F(BaseDialogGuiTest, KeysGoThroughTheDerivedDialog)
{
    // The base keeps the toolkit's handling: Escape closes with a negative response.
    CBaseDialog plain(nullptr, "Plain", 300, 100);
    plain.AddButton("_OK", DLG_RESULT_OK);
    ModalDialogAnswerer closeIt(ModalDialogAnswerer::TapKey(GDK_Escape));
    EXPECT_EQ(plain.RunDlg(), GTK_RESPONSE_DELETE_EVENT);
    EXPECT_FALSE(closeIt.TimedOut());
    plain.DestoryDlg();

    // A derived dialog that returns non-zero swallows Escape; the dialog stays up
    // until the answerer's deadline closes it.
    SwallowEscape swallowing;
    ModalDialogAnswerer swallowed(ModalDialogAnswerer::TapKey(GDK_Escape), 1500);
    EXPECT_EQ(swallowing.RunDlg(), GTK_RESPONSE_DELETE_EVENT);
    EXPECT_TRUE(swallowed.TimedOut());
    ASSERT_FALSE(swallowing.seen.empty());
    EXPECT_EQ(swallowing.seen.front(), static_cast<unsigned>(GDK_Escape));
    swallowing.DestoryDlg();
}

class RecordingProcesses : public IHelpViewerProcesses {
public:
    pid_t Start(const std::string& path, const std::string& topic) override
    {
        starts.push_back(path + "|" + topic);
        return 4242;
    }
    void Signal(pid_t, int) override {}
    bool ReapIfEnded(pid_t, int*) override { return false; }
    std::vector<std::string> starts;
};

TEST_F(BaseDialogGuiTest, HelpButtonStartsTheViewerWithItsTopic)
{
    RecordingProcesses processes;
    CHelpViewerLauncher::Instance().UseProcesses(&processes);
    CBaseDialog dialog(nullptr, "Help", 400, 120);
    dialog.AddButton("_Help", static_cast<DLG_RESULT>(3));
    dialog.AddButton("_OK", DLG_RESULT_OK);
    GtkWidget* help = dialog.GetButtonWidget(0);
    ModalDialogAnswerer answerer([&](GtkDialog* d) {
        gui_events::Click(help);
        // Clicking help gives no response; close once the launch is recorded.
        gui_wait::Until([&] { return !processes.starts.empty(); }, 3000);
        gtk_dialog_response(d, DLG_RESULT_OK);
    });
    EXPECT_EQ(dialog.RunDlg(), DLG_RESULT_OK);
    CHelpViewerLauncher::Instance().UseProcesses(nullptr);
    ASSERT_EQ(processes.starts.size(), 1u);
    EXPECT_EQ(processes.starts[0], HelpViewerPath() + "| BACKUP");
    dialog.DestoryDlg();
}

TEST_F(BaseDialogGuiTest, DeletingWithoutDestroyTakesTheWindowDown)
{
    CBaseDialog* dialog = new CBaseDialog(nullptr, "Gone", 300, 100);
    dialog->AddButton("_OK", DLG_RESULT_OK);
    GtkWidget* widget = dialog->GetDialog();
    gtk_widget_show_all(widget);
    gui_wait::Settle();
    g_object_ref(widget);
    delete dialog;
    EXPECT_FALSE(gtk_widget_get_visible(widget));
    g_object_unref(widget);
}

TEST_F(BaseDialogGuiTest, DialogSitsOverItsParentWithTheConsoleLook)
{
    GtkWidget* parent = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* inner = gtk_label_new("main window");
    gtk_container_add(GTK_CONTAINER(parent), inner);
    ASSERT_TRUE(ShowAndSettle(parent));

    CBaseDialog dialog(inner, "Look", 300, 120);
    dialog.AddButton("_OK", DLG_RESULT_OK);
    GtkWindow* window = GTK_WINDOW(dialog.GetDialog());
    EXPECT_EQ(gtk_window_get_transient_for(window), GTK_WINDOW(parent));
    EXPECT_TRUE(gtk_window_get_modal(window));
    EXPECT_FALSE(gtk_window_get_resizable(window));
    EXPECT_STREQ(gtk_window_get_title(window), "Look");
    GdkPixbuf* icon = gtk_window_get_icon(window);
    ASSERT_NE(icon, nullptr) << "../res/main16.ico did not load";
    EXPECT_EQ(gdk_pixbuf_get_width(icon), 16);

    uint32_t background = 0;
    ModalDialogAnswerer answerer([&](GtkDialog* d) {
        PixelSnapshot pixels = PixelSnapshot::OfWidget(GTK_WIDGET(d));
        background = pixels.At(5, 5);
        gtk_dialog_response(d, DLG_RESULT_OK);
    });
    EXPECT_EQ(dialog.RunDlg(), DLG_RESULT_OK);
    EXPECT_EQ(background, 0xECE9D8u);
    dialog.DestoryDlg();
    gtk_widget_destroy(parent);
}

TEST_F(BaseDialogGuiTest, MessageBoxesSitOverTheDialogWindow)
{
    CBaseDialog dialog(nullptr, "Wizard", 400, 200);
    ASSERT_NE(dialog.GetDlgWidget(), nullptr);
    EXPECT_TRUE(GTK_IS_DIALOG(dialog.GetDlgWidget()));
    CGtkMessageBox note(dialog.GetDlgWidget(), "Note", GTK_MB_ICON_ERROR, GTK_MB_OK, "Cannot read the image.");
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(note.GetDlgWidget())), GTK_WINDOW(dialog.GetDlgWidget()));
    note.DestoryDlg();
    dialog.DestoryDlg();
    EXPECT_EQ(dialog.GetDlgWidget(), nullptr);
}

} // namespace
