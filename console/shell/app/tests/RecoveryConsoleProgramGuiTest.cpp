// The RecoveryConsole program itself on the test's private X server: the splash
// comes first, then the main window takes its place.
#include "FixtureImage.h"
#include "GuiTest.h"
#include "GuiWorkspace.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// What the screen showed, in order, as the X server reported it: every top-level
// window mapped, with its size at that moment and whether another was still up.
// Events are queued by the server, so a window up for a moment is never missed
// however slowly this process gets to look (no window manager runs here, so
// top-level windows are the root window's children).
class TopLevelWatch {
public:
    explicit TopLevelWatch(Display* display) : display_(display)
    {
        XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
        XSync(display_, False);
    }

    struct Mapped {
        Window window;
        int width;
        int height;
        size_t othersUp; // top-level windows mapped at the same time
    };

    // Handles every event that has arrived.
    void Drain()
    {
        while (XPending(display_)) {
            XEvent e;
            XNextEvent(display_, &e);
            switch (e.type) {
            case CreateNotify:
                sizes_[e.xcreatewindow.window] = {e.xcreatewindow.width, e.xcreatewindow.height};
                break;
            case ConfigureNotify:
                sizes_[e.xconfigure.window] = {e.xconfigure.width, e.xconfigure.height};
                break;
            case MapNotify: {
                const Window w = e.xmap.window;
                mapped.push_back({w, sizes_[w].first, sizes_[w].second, up_.size()});
                up_.insert(w);
                break;
            }
            case UnmapNotify:
                up_.erase(e.xunmap.window);
                break;
            case DestroyNotify:
                up_.erase(e.xdestroywindow.window);
                break;
            default:
                break;
            }
        }
    }

    std::vector<Mapped> mapped;

private:
    Display* display_;
    std::map<Window, std::pair<int, int>> sizes_;
    std::set<Window> up_;
};

bool IsMainWindowSize(const TopLevelWatch::Mapped& m)
{
    return m.width >= 850 && m.height >= 600;
}

std::string WindowTitle(Display* display, Window window)
{
    char* name = nullptr;
    std::string title;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
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

    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    TopLevelWatch watch(display); // before the console starts: nothing is missed

    const pid_t console = fork();
    ASSERT_GE(console, 0);
    if (console == 0) {
        // The console sees only the demo images, and finds ../res/ from bin/.
        setenv("RVD_DISK_IMAGES", images.c_str(), 1);
        if (chdir(bin.c_str()) == 0)
            execl(RVD_CONSOLE_PROGRAM, RVD_CONSOLE_PROGRAM, static_cast<char*>(nullptr));
        _exit(127);
    }

    std::optional<TopLevelWatch::Mapped> main;
    const gint64 deadline = g_get_monotonic_time() + 30 * G_USEC_PER_SEC;
    while (!main && g_get_monotonic_time() < deadline) {
        watch.Drain();
        for (const TopLevelWatch::Mapped& m : watch.mapped) {
            if (IsMainWindowSize(m))
                main = m;
        }
        int status = 0;
        if (!main && waitpid(console, &status, WNOHANG) == console) {
            ADD_FAILURE() << "the console ended early, status " << status;
            break;
        }
        usleep(20 * 1000);
    }
    const std::string mainTitle = main ? WindowTitle(display, main->window) : std::string();
    XCloseDisplay(display);
    kill(console, SIGTERM);
    waitpid(console, nullptr, 0);

    ASSERT_TRUE(main) << "the main window never showed";
    EXPECT_EQ(mainTitle, "Zendrel Kivra Backup");
    EXPECT_EQ(main->othersUp, 0u) << "the splash was still up when the main window showed";
    ASSERT_GE(watch.mapped.size(), 2u) << "no splash was seen";
    const TopLevelWatch::Mapped& splash = watch.mapped.front();
    EXPECT_FALSE(IsMainWindowSize(splash)) << "the first window shown was not the splash";
    EXPECT_GT(splash.width, 0);
}

} // namespace
