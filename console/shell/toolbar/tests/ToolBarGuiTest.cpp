#include "CHelpViewerLauncher.h"
#include "COperationLauncher.h"
#include "CToolBarPlus.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "RecordingHelpProcesses.h"
#include "RecordingOperationDialogs.h"

#include <string>
#include <vector>

namespace {

class StatusRecorder : public IMainWndController {
public:
    void SetToolBarStatus(int) override {}
    void SetSideBarStatus(int) override {}
    void SetMainWindowStatusText(const char* text) override { texts.push_back(text ? text : "(null)"); }
    std::vector<std::string> texts;
};

class ToolBarGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        COperationLauncher::Instance().UseDialogs(&dialogs);
        CHelpViewerLauncher::Instance().UseProcesses(&help);
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        toolbar = new CToolBarPlus();
        toolbar->SetParentWnd(window);
        toolbar->SetMainWndController(&status);
        gtk_container_add(GTK_CONTAINER(window), toolbar->GetToolBarPlusWidget());
        ASSERT_TRUE(ShowAndSettle(window));
    }
    void TearDown() override
    {
        gtk_widget_destroy(window);
        delete toolbar;
        COperationLauncher::Instance().UseDialogs(nullptr);
        CHelpViewerLauncher::Instance().UseProcesses(nullptr);
        GuiTest::TearDown();
    }

    GtkWidget* Widget(ToolBarButtonId id) { return toolbar->Button(id).GetBtnWidget(); }
    std::string Shown(ToolBarButtonId id) { return toolbar->Button(id).GetShownPicture(); }
    static std::string Picture(ToolBarButtonId id, const char* state)
    {
        return ToolBarPicturePath(ToolBarButtonSpecOf(id).op, state);
    }

    RecordingOperationDialogs dialogs;
    RecordingHelpProcesses help;
    StatusRecorder status;
    GtkWidget* window = nullptr;
    CToolBarPlus* toolbar = nullptr;
};

TEST_F(ToolBarGuiTest, CompletedClickRunsScanThenItsWizard)
{
    struct Case {
        ToolBarButtonId id;
        const char* wizard;
    };
    for (const Case& c : {Case{kTbRestore, "restore"}, Case{kTbClone, "clone"}, Case{kTbCheck, "check"}}) {
        SCOPED_TRACE(c.wizard);
        dialogs.steps.clear();
        gui_events::Click(Widget(c.id));
        ASSERT_TRUE(gui_wait::Until([&] { return dialogs.steps.size() >= 2; }));
        gui_wait::Settle();
        EXPECT_EQ(dialogs.steps, (std::vector<std::string>{"scan", c.wizard}));
        EXPECT_EQ(dialogs.lastParent, window);
        EXPECT_EQ(Shown(c.id), Picture(c.id, "hover"));
    }
}

TEST_F(ToolBarGuiTest, PressDraggedOutAndReleasedDoesNothing)
{
    gui_events::MovePointerTo(Widget(kTbRestore), 5, 5);
    gui_wait::Settle();
    gui_events::PressButton(1);
    gui_wait::Settle();
    EXPECT_EQ(Shown(kTbRestore), Picture(kTbRestore, "click"));
    gui_events::MovePointerAway();
    gui_wait::Settle();
    gui_events::ReleaseButton(1);
    gui_wait::Settle();
    EXPECT_TRUE(dialogs.steps.empty());
    EXPECT_EQ(Shown(kTbRestore), Picture(kTbRestore, "normal"));

    // Out and back in before the release: leaving ended the press.
    gui_events::MovePointerTo(Widget(kTbClone), 5, 5);
    gui_wait::Settle();
    gui_events::PressButton(1);
    gui_wait::Settle();
    gui_events::MovePointerAway();
    gui_wait::Settle();
    gui_events::MovePointerTo(Widget(kTbClone), 6, 6);
    gui_wait::Settle();
    gui_events::ReleaseButton(1);
    gui_wait::Settle();
    EXPECT_TRUE(dialogs.steps.empty());
    EXPECT_EQ(Shown(kTbClone), Picture(kTbClone, "hover"));

    // The right button never clicks and changes no picture.
    gui_events::Click(Widget(kTbClone), 3);
    gui_wait::Settle();
    EXPECT_TRUE(dialogs.steps.empty());
    EXPECT_EQ(Shown(kTbClone), Picture(kTbClone, "hover"));
}

TEST_F(ToolBarGuiTest, DisabledButtonsStayDisabled)
{
    for (ToolBarButtonId id : {kTbMount, kTbUnmount, kTbOption, kTbBackup}) {
        SCOPED_TRACE(ToolBarButtonSpecOf(id).op);
        EXPECT_TRUE(toolbar->Button(id).IsGreyedForGood());
        EXPECT_EQ(Shown(id), Picture(id, "disable"));
        gui_events::MovePointerTo(Widget(id), 4, 4);
        gui_wait::Settle();
        gui_events::Click(Widget(id));
        gui_wait::Settle();
        EXPECT_EQ(Shown(id), Picture(id, "disable"));
    }
    // A working button made insensitive keeps its disable picture and starts nothing.
    toolbar->Button(kTbRestore).SetBtnSensitive(0);
    gui_events::Click(Widget(kTbRestore));
    gui_wait::Settle();
    gui_events::MovePointerAway();
    gui_wait::Settle();
    EXPECT_EQ(Shown(kTbRestore), Picture(kTbRestore, "disable"));
    EXPECT_TRUE(dialogs.steps.empty());
    EXPECT_TRUE(help.events.empty());
}

TEST_F(ToolBarGuiTest, PointingShowsTipAndStatusThroughOneTooltipsObject)
{
    for (const ToolBarButtonSpec& spec : ToolBarRow()) {
        SCOPED_TRACE(spec.op);
        status.texts.clear();
        gui_events::MovePointerTo(Widget(spec.id), 4, 4);
        gui_wait::Settle();
        ASSERT_FALSE(status.texts.empty());
        EXPECT_EQ(status.texts.back(), spec.tip);
        GtkTooltipsData* data = gtk_tooltips_data_get(Widget(spec.id));
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->tooltips, toolbar->Tooltips());
        EXPECT_STREQ(data->tip_text, spec.tip);
        // A greyed button tells what it would do but keeps its disable picture.
        EXPECT_EQ(Shown(spec.id), Picture(spec.id, toolbar->Button(spec.id).IsGreyedForGood() ? "disable" : "hover"));
        gui_events::MovePointerAway();
        gui_wait::Settle();
        EXPECT_EQ(status.texts.back(), "");
    }
}

TEST_F(ToolBarGuiTest, HelpStartsTheViewerWithItsTopicAndEndsThePreviousOne)
{
    gui_events::Click(Widget(kTbHelp));
    ASSERT_TRUE(gui_wait::Until([&] { return !help.events.empty(); }));
    const pid_t first = help.lastPid;
    gui_events::MovePointerAway();
    gui_wait::Settle();
    gui_events::Click(Widget(kTbHelp));
    ASSERT_TRUE(gui_wait::Until([&] { return help.lastPid != first; }));
    ASSERT_GE(help.events.size(), 3u);
    const size_t n = help.events.size();
    EXPECT_EQ(help.events[n - 3], "start [MainWindow]");
    EXPECT_EQ(help.events[n - 2], "signal " + std::to_string(first) + " 6");
    EXPECT_EQ(help.events[n - 1], "start [MainWindow]");
    EXPECT_EQ(help.paths.back(), HelpViewerPath());
    EXPECT_TRUE(dialogs.steps.empty());
}

} // namespace

namespace {

TEST_F(ToolBarGuiTest, TipAndStatusTextsLongerThanTheirArraysAreCut)
{
    CToolBarButton& button = toolbar->Button(kTbClone);
    const std::string longText(5000, 't');
    button.SetTip(longText.c_str());
    button.SetStatusText(longText.c_str());
    EXPECT_EQ(std::string(button.GetTip()), longText.substr(0, CToolBarButton::kTextCapacity - 1));
    EXPECT_EQ(std::string(button.GetStatusText()), longText.substr(0, CToolBarButton::kTextCapacity - 1));
    button.SetTip("Clone a disk");
    button.SetStatusText(nullptr);
    EXPECT_STREQ(button.GetTip(), "Clone a disk");
    EXPECT_STREQ(button.GetStatusText(), "");
}

} // namespace
