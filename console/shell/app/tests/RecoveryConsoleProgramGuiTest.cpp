// The RecoveryConsole program itself on the test's private X server: the splash
// comes first, then the main window takes its place.
#include "FixtureImage.h"
#include "GuiTest.h"
#include "GuiWorkspace.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct ShownWindow {
    std::string title;
    int width;
    int height;
};

// The viewable top-level windows on the screen (no window manager runs here, so
// they are the root window's children).
std::vector<ShownWindow> ViewableWindows(Display* display)
{
    std::vector<ShownWindow> shown;
    Window root = DefaultRootWindow(display);
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return shown;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            shown.push_back({name, attributes.width, attributes.height});
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return shown;
}

class RecoveryConsoleProgramGuiTest : public GuiTest {};

TEST_F(RecoveryConsoleProgramGuiTest, SplashShowsThenTheMainWindow)
{
    const std::string disk0 = MakeFixtureImage("demo/demo-disk-0.sh", "demo-disk-0.img");
    const std::string disk1 = MakeFixtureImage("demo/demo-disk-1.sh", "demo-disk-1.img");
    ASSERT_FALSE(disk0.empty());
    ASSERT_FALSE(disk1.empty());
    const std::string images = disk0 + ":" + disk1;
    const std::string bin = GuiWorkspace::Shared().BinDir();

    const pid_t console = fork();
    ASSERT_GE(console, 0);
    if (console == 0) {
        // The console sees only the demo images, and finds ../res/ from bin/.
        setenv("RVD_DISK_IMAGES", images.c_str(), 1);
        if (chdir(bin.c_str()) == 0)
            execl(RVD_CONSOLE_PROGRAM, RVD_CONSOLE_PROGRAM, static_cast<char*>(nullptr));
        _exit(127);
    }

    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    bool sawSplash = false;
    bool sawMain = false;
    bool splashGoneWithMain = false;
    bool bothAtOnce = false;
    const gint64 deadline = g_get_monotonic_time() + 30 * G_USEC_PER_SEC;
    while (!sawMain && g_get_monotonic_time() < deadline) {
        int splashes = 0;
        int mains = 0;
        for (const ShownWindow& w : ViewableWindows(display)) {
            if (w.title != "Zendrel Kivra Backup")
                continue;
            if (w.width >= 850 && w.height >= 600)
                ++mains;
            else
                ++splashes;
        }
        sawSplash = sawSplash || splashes > 0;
        bothAtOnce = bothAtOnce || (splashes > 0 && mains > 0);
        if (mains > 0) {
            sawMain = true;
            splashGoneWithMain = splashes == 0;
        }
        int status = 0;
        if (waitpid(console, &status, WNOHANG) == console) {
            ADD_FAILURE() << "the console ended early, status " << status;
            break;
        }
        usleep(20 * 1000);
    }
    XCloseDisplay(display);
    kill(console, SIGTERM);
    waitpid(console, nullptr, 0);

    EXPECT_TRUE(sawSplash) << "no splash was seen";
    EXPECT_TRUE(sawMain) << "the main window never showed";
    EXPECT_TRUE(splashGoneWithMain);
    EXPECT_FALSE(bothAtOnce);
}

} // namespace
