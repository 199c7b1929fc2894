// The executor's progress window under Xvfb: it shows as a borderless modal picture,
// its bar moves along the picture's foot (pixels read back), the command runs on a
// worker meanwhile, and the window closes with the command's result.
#include <gtk/gtk.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "COrdwell.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"
#include "RecordingEngines.h"

namespace {

constexpr uint32_t kBarHead = 0xE0EBFF;
constexpr uint32_t kBarTrail = 0x7BAAFF;

// A checker whose run lasts until the test lets it end.
class HeldCheck final : public IKSCheck {
public:
    unsigned long IsPwdProtect(wchar_t*) override { return 0; }
    unsigned long SetPassword(wchar_t*, int) override { return 0; }
    unsigned long Release() override { return 0; }
    unsigned long SetImgInfo(_KS_VERSION*, wchar_t*) override { return 0; }
    unsigned long GetImageVersions(_KS_VERSION*, unsigned long, int*, wchar_t*) override { return 0; }
    unsigned long GetImgVolumes(_KS_VOLUME*, unsigned long, int*, _KS_VERSION*) override { return 0; }
    unsigned long GetVerComment(wchar_t*, unsigned long, int*, _KS_VERSION*) override { return 0; }
    unsigned long AddCheck(_KS_VOLUME*) override { return 0; }
    unsigned long Execute() override
    {
        ranOnMainThread = g_main_context_is_owner(g_main_context_default());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!release.load() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return 0x00A4A3A2;
    }
    unsigned long SetPromptCall(KS_CHECK_PROMPT_CALLBACK, void*) override { return 0; }
    unsigned long GetCheckProgress(_KS_PROGRESS_INFO*) override { return 0; }
    unsigned long UserCancel() override { return 0; }

    std::atomic<bool> release{false};
    std::atomic<bool> ranOnMainThread{true};
};

GtkWidget* ShownDialog()
{
    GtkWidget* found = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* w = all; w != nullptr; w = w->next)
        if (GTK_IS_DIALOG(w->data) && gtk_widget_get_mapped(GTK_WIDGET(w->data)))
            found = GTK_WIDGET(w->data);
    g_list_free(all);
    return found;
}

GtkWidget* PictureOf(GtkWidget* dialog)
{
    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    GList* rows = gtk_container_get_children(GTK_CONTAINER(content));
    GtkWidget* picture = nullptr;
    for (GList* r = rows; r != nullptr && picture == nullptr; r = r->next) {
        if (!GTK_IS_HBOX(r->data))
            continue;
        GList* cells = gtk_container_get_children(GTK_CONTAINER(r->data));
        if (cells != nullptr && GTK_IS_IMAGE(cells->data))
            picture = GTK_WIDGET(cells->data);
        g_list_free(cells);
    }
    g_list_free(rows);
    return picture;
}

// Where the bar's head is on the row it runs along, as a set of x positions.
std::set<int> HeadPositions(GtkWidget* picture)
{
    std::set<int> xs;
    PixelSnapshot shot = PixelSnapshot::OfWidget(picture);
    if (!shot.Valid())
        return xs;
    const int y = shot.Height() - 10;
    for (int x = 0; x < shot.Width(); ++x)
        if (shot.At(x, y) == kBarHead && shot.At(x, y + 1) == kBarHead)
            xs.insert(x);
    return xs;
}

struct Observation {
    HeldCheck* check = nullptr;
    GtkWidget* dialog = nullptr;
    bool decorated = true, modal = false, resizable = true, aboveOthers = false;
    std::string title = "unset";
    int pictureWidth = 0, pictureHeight = 0;
    std::vector<std::set<int>> heads;
    int trailPixels = 0;
    int ticks = 0;
};

// Looks at the window every 100 ms while it runs, then lets the command end.
gboolean Observe(gpointer data)
{
    Observation& o = *static_cast<Observation*>(data);
    ++o.ticks;
    if (o.dialog == nullptr) {
        o.dialog = ShownDialog();
        if (o.dialog == nullptr)
            return o.ticks < 100 ? TRUE : (o.check->release = true, FALSE);
        GtkWindow* window = GTK_WINDOW(o.dialog);
        o.decorated = gtk_window_get_decorated(window);
        o.modal = gtk_window_get_modal(window);
        o.resizable = gtk_window_get_resizable(window);
        o.title = gtk_window_get_title(window) != nullptr ? gtk_window_get_title(window) : "(null)";
        return TRUE;
    }
    GtkWidget* picture = PictureOf(o.dialog);
    if (picture != nullptr && o.heads.size() < 4) {
        GtkAllocation a;
        gtk_widget_get_allocation(picture, &a);
        o.pictureWidth = a.width;
        o.pictureHeight = a.height;
        o.heads.push_back(HeadPositions(picture));
        PixelSnapshot shot = PixelSnapshot::OfWidget(picture);
        o.trailPixels = shot.Valid() ? shot.Count(kBarTrail) : 0;
        return TRUE;
    }
    o.check->release = true;
    return FALSE;
}

class OrdwellProgressGuiTest : public GuiTest {};

TEST_F(OrdwellProgressGuiTest, TheWindowAnimatesWhileTheCommandRunsAndClosesWithItsResult)
{
    auto* check = new HeldCheck;
    OrdwellEngines engines;
    engines.check = check;
    COrdwell* executor = new COrdwell(engines, OrdwellModules());
    Observation seen;
    seen.check = check;
    g_timeout_add(100, &Observe, &seen);

    KS_CMD_BARE record{};
    KSCmdFillHeader(record, TASQUE_CMD_CHECK_EXECUTE);
    const unsigned long result = executor->Execute(&record.Header, nullptr, 1);

    EXPECT_EQ(0x00A4A3A2u, result);
    EXPECT_FALSE(check->ranOnMainThread.load()) << "the command runs on the worker";
    ASSERT_NE(nullptr, seen.dialog) << "the window was shown";
    EXPECT_FALSE(seen.decorated);
    EXPECT_TRUE(seen.modal);
    EXPECT_FALSE(seen.resizable);
    EXPECT_EQ("", seen.title);
    EXPECT_EQ(360, seen.pictureWidth) << "the scan picture is shown whole";
    EXPECT_EQ(80, seen.pictureHeight);
    ASSERT_EQ(4u, seen.heads.size());
    for (const std::set<int>& head : seen.heads)
        EXPECT_FALSE(head.empty()) << "the bar's head is drawn";
    EXPECT_GT(seen.trailPixels, 0) << "the bar leaves its trail";
    EXPECT_TRUE(seen.heads.front() != seen.heads.back()) << "the bar moves";
    gui_wait::Settle();
    EXPECT_EQ(nullptr, ShownDialog()) << "the window is gone";
    executor->Release();
    delete check;
}

} // namespace
