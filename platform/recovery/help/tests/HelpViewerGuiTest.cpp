// The help viewer as the console starts it: "Help" in the working folder, run by the
// program-wide launcher with a topic, ended by the next start's signal 6.
#include "CHelpViewerLauncher.h"
#include "GuiTest.h"
#include "GuiWait.h"

#include <gdk/gdkx.h>
#include <X11/Xlib.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Other programs' windows can go at any moment (a viewer that was told to end): an X
// error about a window already gone is expected while looking at them, and must not
// reach GTK's handler, which ends the program.
struct ForeignWindowErrorsIgnored {
    ForeignWindowErrorsIgnored() { gdk_error_trap_push(); }
    ~ForeignWindowErrorsIgnored()
    {
        gdk_flush();
        gdk_error_trap_pop();
    }
};

// Titles of the top-level windows other programs show on the test's display.
std::vector<std::string> ForeignTitles()
{
    ForeignWindowErrorsIgnored ignored;
    std::vector<std::string> titles;
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    XSync(display, False);
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return titles;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        char* name = nullptr;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            XFetchName(display, children[i], &name) && name) {
            titles.push_back(name);
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return titles;
}

// Asks the window of that title to close, as its frame's close button does.
bool AskToClose(const std::string& title)
{
    ForeignWindowErrorsIgnored ignored;
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return false;
    bool sent = false;
    for (unsigned i = 0; i < count && !sent; ++i) {
        char* name = nullptr;
        if (!XFetchName(display, children[i], &name) || !name)
            continue;
        if (title == name) {
            XEvent event = {};
            event.xclient.type = ClientMessage;
            event.xclient.window = children[i];
            event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, children[i], False, NoEventMask, &event);
            XFlush(display);
            sent = true;
        }
        XFree(name);
    }
    if (children)
        XFree(children);
    return sent;
}

bool Shows(const std::string& title)
{
    for (const std::string& t : ForeignTitles())
        if (t == title)
            return true;
    return false;
}

class HelpViewerGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        // The console's working folder is bin/ of the workspace: the viewer is there.
        std::remove("Help");
        ASSERT_EQ(symlink(RVD_HELP_PROGRAM, "Help"), 0);
    }
    void TearDown() override
    {
        CHelpViewerLauncher& launcher = CHelpViewerLauncher::Instance();
        if (launcher.HelpPid() > 0)
            kill(launcher.HelpPid(), SIGTERM);
        gui_wait::Until([&] { launcher.ReapFinished(); return launcher.PendingViewers() == 0; });
        std::remove("Help");
        GuiTest::TearDown();
    }
};

TEST_F(HelpViewerGuiTest, ShowsTheTopicsPageAndMakesWayForTheNext)
{
    CHelpViewerLauncher& launcher = CHelpViewerLauncher::Instance();
    ASSERT_TRUE(StartHelpViewer("RESTORE"));
    EXPECT_TRUE(gui_wait::Until([] { return Shows("Help - Restoring from an image set"); }, 10000));
    const pid_t first = launcher.HelpPid();

    ASSERT_TRUE(StartHelpViewer(" MainWindow"));
    EXPECT_TRUE(gui_wait::Until([] { return Shows("Help - The recovery console"); }, 10000));
    // Signal 6 ends the first viewer cleanly, and its window goes.
    ASSERT_TRUE(gui_wait::Until([&] { launcher.ReapFinished(); return launcher.PendingViewers() == 1; }, 10000));
    EXPECT_NE(launcher.HelpPid(), first);
    EXPECT_TRUE(WIFEXITED(launcher.LastReapedStatus()) && WEXITSTATUS(launcher.LastReapedStatus()) == 0)
        << "status " << launcher.LastReapedStatus();
    EXPECT_TRUE(gui_wait::Until([] { return !Shows("Help - Restoring from an image set"); }));
}

TEST_F(HelpViewerGuiTest, AnUnknownTopicShowsThePlainPage)
{
    ASSERT_TRUE(StartHelpViewer("UnKnow"));
    EXPECT_TRUE(gui_wait::Until([] { return Shows("Help"); }, 10000));
    CHelpViewerLauncher& launcher = CHelpViewerLauncher::Instance();
    kill(launcher.HelpPid(), CHelpViewerLauncher::kPreviousViewerSignal);
    ASSERT_TRUE(gui_wait::Until([&] { launcher.ReapFinished(); return launcher.PendingViewers() == 0; }, 10000));
    EXPECT_TRUE(WIFEXITED(launcher.LastReapedStatus()) && WEXITSTATUS(launcher.LastReapedStatus()) == 0);
    EXPECT_TRUE(gui_wait::Until([] { return !Shows("Help"); }));
}

TEST_F(HelpViewerGuiTest, ClosingTheWindowEndsTheViewerCleanly)
{
    ASSERT_TRUE(StartHelpViewer("CLONE_DISK"));
    ASSERT_TRUE(gui_wait::Until([] { return Shows("Help - Cloning a disk"); }, 10000));
    ASSERT_TRUE(AskToClose("Help - Cloning a disk"));
    CHelpViewerLauncher& launcher = CHelpViewerLauncher::Instance();
    ASSERT_TRUE(gui_wait::Until([&] { launcher.ReapFinished(); return launcher.PendingViewers() == 0; }, 10000));
    EXPECT_TRUE(WIFEXITED(launcher.LastReapedStatus()) && WEXITSTATUS(launcher.LastReapedStatus()) == 0)
        << "status " << launcher.LastReapedStatus();
}

} // namespace
