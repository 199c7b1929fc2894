#include "CUpdateInfoDlg.h"
#include "FakeVessmarModule.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"
#include "PixelSnapshot.h"
#include "VessmarRescan.h"

#include <gdk/gdkkeysyms.h>

namespace {

FakeVessmarModule g_module;

IVessmarModule* OpenFake()
{
    return &g_module;
}

IVessmarModule* OpenMissing()
{
    return OpenModuleT<IVessmarModule>("RvdNoSuchDeviceManager");
}

class ScanDialogGuiTest : public GuiTest {
protected:
    void TearDown() override
    {
        g_module.Let();
        SetVessmarOpener(nullptr);
        GuiTest::TearDown();
    }
};

// Every way a user could end a dialog, sent to the scan dialog on screen.
void TryToEnd(GtkDialog* dialog)
{
    gui_events::Focus(GTK_WIDGET(dialog));
    gui_events::MovePointer(gui_events::CentreOf(GTK_WIDGET(dialog)));
    gui_events::TapKey(GDK_Escape);
    gtk_dialog_response(dialog, GTK_RESPONSE_CANCEL);
    gtk_dialog_response(dialog, GTK_RESPONSE_DELETE_EVENT);
    GdkEvent* close = gdk_event_new(GDK_DELETE);
    close->any.window = GDK_WINDOW(g_object_ref(GTK_WIDGET(dialog)->window));
    close->any.send_event = TRUE;
    gtk_main_do_event(close);
    gdk_event_free(close);
}

struct Probe {
    GtkWidget* dialog = nullptr;
    GtkWidget* picture = nullptr;
    int trailPixels = 0;
    int blockPixels = 0;
    int bandRow = 0;
    bool stillUpAfterRefusals = false;
    gint64 letAt = 0;
};

gboolean CheckThenLet(gpointer data)
{
    Probe* probe = static_cast<Probe*>(data);
    probe->stillUpAfterRefusals = ModalDialogAnswerer::FindModalDialog() == GTK_DIALOG(probe->dialog);
    if (probe->stillUpAfterRefusals) {
        // The moving block and its trail, in their band above the picture's bottom.
        const PixelSnapshot shot = PixelSnapshot::OfWidget(probe->picture);
        probe->bandRow = shot.Height() - 9;
        for (int x = 0; x < shot.Width(); ++x) {
            probe->trailPixels += shot.At(x, probe->bandRow) == 0x7BAAFF;
            probe->blockPixels += shot.At(x, probe->bandRow) == 0xE0EBFF;
        }
    }
    probe->letAt = g_get_monotonic_time();
    g_module.Let();
    return FALSE;
}

TEST_F(ScanDialogGuiTest, RefusesEscapeAndCloseAndEndsAfterRefreshReturns)
{
    SetVessmarOpener(OpenFake);
    g_module.Hold();
    const int callsBefore = g_module.refreshCalls;
    Probe probe;
    CUpdateInfoDlg scan(nullptr);
    probe.dialog = scan.GetDialog();
    probe.picture = scan.GetPicture();
    ModalDialogAnswerer refusals(
        [&](GtkDialog* dialog) {
            EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), CUpdateInfoDlg::kTitle);
            TryToEnd(dialog);
            // Well past a tick, so that a wrongly accepted refusal would have shown.
            g_timeout_add(3 * CUpdateInfoDlg::kTickMs, CheckThenLet, &probe);
        },
        20000);
    scan.RunDlg();
    const gint64 returnedAt = g_get_monotonic_time();

    EXPECT_TRUE(refusals.Answered());
    EXPECT_TRUE(probe.stillUpAfterRefusals);
    EXPECT_GE(probe.trailPixels, 7) << "row " << probe.bandRow;
    EXPECT_GE(probe.blockPixels, 1) << "row " << probe.bandRow;
    ASSERT_NE(probe.letAt, 0) << "the dialog ended before Refresh returned";
    EXPECT_EQ(g_module.refreshCalls, callsBefore + 1);
    EXPECT_EQ(g_module.lastFlags, 0u);
    // Closed by the tick after the worker finished, not later.
    EXPECT_LT(returnedAt - probe.letAt, 2000 * 1000);
    EXPECT_EQ(scan.GetDialog(), nullptr);
    EXPECT_EQ(ModalDialogAnswerer::FindModalDialog(), nullptr);
}

TEST_F(ScanDialogGuiTest, MissingModuleEndsTheDialogAtTheFirstTicks)
{
    SetVessmarOpener(OpenMissing);
    GtkWidget* seenUp = nullptr;
    gui_wait::Settle();
    CUpdateInfoDlg scan(nullptr);
    const gint64 start = g_get_monotonic_time();
    g_signal_connect(scan.GetDialog(), "map-event", G_CALLBACK(+[](GtkWidget* w, GdkEvent*, gpointer seen) {
                         *static_cast<GtkWidget**>(seen) = w;
                         return FALSE;
                     }),
                     &seenUp);
    scan.RunDlg();
    const gint64 elapsedMs = (g_get_monotonic_time() - start) / 1000;
    EXPECT_NE(seenUp, nullptr) << "the dialog was never on screen";
    EXPECT_GE(elapsedMs, static_cast<gint64>(CUpdateInfoDlg::kTickMs) - 20);
    EXPECT_LT(elapsedMs, 3000);
    EXPECT_EQ(scan.GetDialog(), nullptr);
}

} // namespace
