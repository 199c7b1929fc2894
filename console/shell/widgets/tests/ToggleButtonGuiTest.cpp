#include "CCheckButtonPlus.h"
#include "CRadioButtonPlus.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"
#include "ToggleIndicatorPicture.h"

#include <gdk/gdkkeysyms.h>

#include <cstdlib>
#include <string>

namespace {

class ToggleButtonGuiTest : public GuiTest {};

// Compares the indicator area on screen with the picture painted over #ECE9D8.
bool ShowsPicture(GtkWidget* widget, const char* path, std::string* why)
{
    GdkPixbuf* picture = gdk_pixbuf_new_from_file(path, nullptr);
    if (!picture) {
        *why = std::string("cannot read ") + path;
        return false;
    }
    PixelSnapshot screen = PixelSnapshot::OfWidget(widget);
    const int channels = gdk_pixbuf_get_n_channels(picture);
    bool same = true;
    for (int y = 0; y < gdk_pixbuf_get_height(picture) && same; ++y) {
        for (int x = 0; x < gdk_pixbuf_get_width(picture) && same; ++x) {
            const guchar* p = gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) + x * channels;
            const int alpha = channels == 4 ? p[3] : 255;
            const int back[3] = {0xEC, 0xE9, 0xD8};
            const uint32_t got = screen.At(x + 2, y + 3);
            for (int c = 0; c < 3; ++c) {
                const int want = (p[c] * alpha + back[c] * (255 - alpha) + 127) / 255;
                const int have = static_cast<int>((got >> (16 - 8 * c)) & 0xFF);
                if (std::abs(want - have) > 2) {
                    *why = std::string(path) + " differs at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
                    same = false;
                    break;
                }
            }
        }
    }
    g_object_unref(picture);
    return same;
}

TEST_F(ToggleButtonGuiTest, CheckButtonPaintsThePictureOfItsStateAndValue)
{
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    CCheckButtonPlus check("_Verify the image");
    gtk_container_add(GTK_CONTAINER(window), check.GetCheckBtnWidget());
    ASSERT_TRUE(ShowAndSettle(window));
    GtkWidget* widget = check.GetCheckBtnWidget();
    std::string why;
    EXPECT_TRUE(ShowsPicture(widget, "../res/check_normal.png", &why)) << why;

    // Toggled by the keyboard: the checked picture of the current state.
    gui_events::Focus(window);
    gtk_widget_grab_focus(widget);
    gui_wait::Settle();
    gui_events::TapKey(GDK_space);
    ASSERT_TRUE(gui_wait::Until([&] { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)) != FALSE; }));
    gui_wait::Settle();
    EXPECT_TRUE(ShowsPicture(widget, ToggleIndicatorPicture(ToggleKind::Check, true, check.GetState()), &why)) << why;

    // Hover, then pressed: each state shows its own picture.
    gui_events::MovePointer(gui_events::CentreOf(widget));
    ASSERT_TRUE(gui_wait::Until([&] { return check.GetState() == kPointerHover; }));
    gui_wait::Settle();
    EXPECT_TRUE(ShowsPicture(widget, "../res/check_checked_hover.png", &why)) << why;
    gui_events::PressButton(1);
    ASSERT_TRUE(gui_wait::Until([&] { return check.GetState() == kPointerPressed; }));
    gui_wait::Settle();
    EXPECT_TRUE(ShowsPicture(widget, "../res/check_checked_press.png", &why)) << why;

    // Released outside: the release sets hover, and the X server's leave at the end
    // of the button grab then sets normal; the picture follows whichever came last.
    gui_events::MovePointerAway();
    gui_events::ReleaseButton(1);
    gui_wait::Settle();
    const bool active = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)) != FALSE;
    EXPECT_TRUE(ShowsPicture(widget, ToggleIndicatorPicture(ToggleKind::Check, active, check.GetState()), &why))
        << why;
    gtk_widget_destroy(window);
}

TEST_F(ToggleButtonGuiTest, RadioButtonsShareAGroup)
{
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* box = gtk_vbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window), box);
    CRadioButtonPlus disk;
    CRadioButtonPlus partition;
    disk.InitBtn(nullptr, "_Disk");
    partition.InitBtn(gtk_radio_button_get_group(GTK_RADIO_BUTTON(disk.GetRadioBtnWidget())), "_Partition");
    gtk_box_pack_start(GTK_BOX(box), disk.GetRadioBtnWidget(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), partition.GetRadioBtnWidget(), FALSE, FALSE, 0);
    partition.SetRadioAction(true);
    ASSERT_TRUE(ShowAndSettle(window));
    std::string why;
    EXPECT_TRUE(ShowsPicture(partition.GetRadioBtnWidget(), "../res/radio_checked_normal.png", &why)) << why;
    EXPECT_TRUE(ShowsPicture(disk.GetRadioBtnWidget(), "../res/radio_normal.png", &why)) << why;

    gui_events::Click(disk.GetRadioBtnWidget());
    ASSERT_TRUE(gui_wait::Until(
        [&] { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(disk.GetRadioBtnWidget())) != FALSE; }));
    gui_wait::Settle();
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(partition.GetRadioBtnWidget())));
    EXPECT_TRUE(ShowsPicture(disk.GetRadioBtnWidget(), "../res/radio_checked_hover.png", &why)) << why;
    gtk_widget_destroy(window);
}

} // namespace
