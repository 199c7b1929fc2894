#include "CFlashDlg.h"
#include "CMainWnd.h"
#include "ConsoleStartup.h"
#include "FixtureImage.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"
#include "StartupOverSymbol.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

// A start-up thread that has not finished yet: nothing runs until the test says so.
bool HeldStarter(GThreadFunc, gpointer)
{
    return true;
}

bool FailingStarter(GThreadFunc, gpointer)
{
    return false;
}

class ConsoleStartupGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        ClearStartupOverSymbol();
    }
    void TearDown() override
    {
        // A start-up left unfinished must not poll this fixture's record later.
        StopStartupPoll();
        if (record.flash)
            record.flash->DestroyDlg();
        delete record.mainWnd;
        ClearStartupOverSymbol();
        GuiTest::TearDown();
    }

    bool MainWindowMapped() const { return gtk_widget_get_mapped(record.mainWnd->GetWindow()) != FALSE; }

    StartupRecord record;
};

TEST_F(ConsoleStartupGuiTest, SplashAnimatesUntilStartUpIsOverThenTheMainWindowShows)
{
    BeginConsoleStartup(record, HeldStarter);
    ASSERT_NE(record.flash, nullptr);
    GtkWidget* splash = record.flash->GetWindow();
    g_object_add_weak_pointer(G_OBJECT(splash), reinterpret_cast<gpointer*>(&splash));
    ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_get_mapped(splash) != FALSE; }));
    EXPECT_TRUE(record.flash->IsAnimating());
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(splash)), CFlashDlg::kTitle);

    // Several polls while the thread is still busy: the splash stays and fills.
    gui_wait::Until([] { return false; }, 5 * static_cast<int>(kStartupPollMs));
    ASSERT_NE(record.flash, nullptr);
    EXPECT_GT(record.flash->GetFraction(), 0.0);
    EXPECT_FALSE(gtk_widget_get_visible(record.mainWnd->GetWindow()));
    EXPECT_NE(StartupPollId(), 0u);

    SetStartupOverSymbol();
    ASSERT_TRUE(gui_wait::Until([&] { return MainWindowMapped(); }));
    EXPECT_EQ(record.flash, nullptr);
    EXPECT_EQ(splash, nullptr) << "the splash window was not destroyed";
    EXPECT_EQ(StartupPollId(), 0u);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(record.mainWnd->GetWindow())), CMainWnd::kTitle);
}

TEST_F(ConsoleStartupGuiTest, MainWindowShowsAtTheFirstPollNeverEarlier)
{
    struct Case {
        const char* name;
        ThreadStarter starter;
    };
    for (const Case& c : {Case{"real thread", StartDetachedThread}, Case{"thread cannot start", FailingStarter}}) {
        SCOPED_TRACE(c.name);
        ClearStartupOverSymbol();
        const gint64 start = g_get_monotonic_time();
        BeginConsoleStartup(record, c.starter);
        ASSERT_TRUE(gui_wait::Until([&] { return MainWindowMapped(); }));
        const gint64 elapsedMs = (g_get_monotonic_time() - start) / 1000;
        EXPECT_GE(elapsedMs, static_cast<gint64>(kStartupPollMs) - 20);
        EXPECT_EQ(record.flash, nullptr);
        delete record.mainWnd;
        record.mainWnd = nullptr;
    }
}

TEST_F(ConsoleStartupGuiTest, SplashAnimatesOnlyWhileShownAndStopsBeforeItGoes)
{
    CFlashDlg* flash = new CFlashDlg(nullptr);
    gui_wait::Until([] { return false; }, 3 * static_cast<int>(CFlashDlg::kTickMs));
    EXPECT_FALSE(flash->IsAnimating());
    EXPECT_EQ(flash->GetFraction(), 0.0);
    flash->ShowDlg();
    EXPECT_TRUE(flash->IsAnimating());
    ASSERT_TRUE(gui_wait::Until([&] { return flash->GetFraction() >= 0.3; }));
    GtkWidget* window = flash->GetWindow();
    g_object_add_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&window));
    flash->DestroyDlg();
    EXPECT_EQ(window, nullptr);
    // A tick left behind would touch the deleted splash (and the sanitizer would say so).
    gui_wait::Until([] { return false; }, 3 * static_cast<int>(CFlashDlg::kTickMs));
}

TEST_F(ConsoleStartupGuiTest, WindowManagerCannotCloseTheSplash)
{
    BeginConsoleStartup(record, HeldStarter);
    GtkWidget* splash = record.flash->GetWindow();
    ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_get_mapped(splash) != FALSE; }));
    GdkEvent* close = gdk_event_new(GDK_DELETE);
    close->any.window = GDK_WINDOW(g_object_ref(splash->window));
    close->any.send_event = TRUE;
    gtk_main_do_event(close);
    gdk_event_free(close);
    gui_wait::Settle();
    EXPECT_TRUE(gtk_widget_get_mapped(splash));
    EXPECT_NE(record.flash, nullptr);
}

// The main window as the console shows it over the demo disks, kept as a picture
// in the build tree for people to look at.
TEST_F(ConsoleStartupGuiTest, ScreenshotOverTheDemoDisks)
{
    const std::string disk0 = MakeFixtureImage("demo/demo-disk-0.sh", "demo-disk-0.img");
    const std::string disk1 = MakeFixtureImage("demo/demo-disk-1.sh", "demo-disk-1.img");
    ASSERT_FALSE(disk0.empty());
    ASSERT_FALSE(disk1.empty());
    setenv("RVD_DISK_IMAGES", (disk0 + ":" + disk1).c_str(), 1);

    BeginConsoleStartup(record);
    ASSERT_TRUE(gui_wait::Until([&] { return MainWindowMapped(); }));
    gui_wait::Settle(200, 3000);
    const PixelSnapshot shot = PixelSnapshot::OfWidget(record.mainWnd->GetWindow());
    ASSERT_TRUE(shot.Valid());
    // The default size is a least size: the start page may ask for more height.
    EXPECT_GE(shot.Width(), CMainWnd::kDefaultWidth);
    EXPECT_GE(shot.Height(), CMainWnd::kDefaultHeight);
    // The dark strip under the tool bar and the white start page are there.
    EXPECT_GT(shot.Count(0x2B2B2B), CMainWnd::kDefaultWidth * 4);
    EXPECT_GT(shot.Count(0xFFFFFF), CMainWnd::kDefaultWidth * 100);

    mkdir(RVD_ARTIFACTS_DIR, 0755);
    const std::string path = std::string(RVD_ARTIFACTS_DIR) + "/main-window.png";
    std::remove(path.c_str());
    shot.SaveForInspection(path.c_str());
    struct stat st;
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    unsetenv("RVD_DISK_IMAGES");
}

} // namespace
