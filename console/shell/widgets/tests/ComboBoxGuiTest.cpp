#include "CComboBoxEntry.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PictureProbe.h"
#include "PixelSnapshot.h"

#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

constexpr uint32_t kComboFrameOuter = 0x7F9DB9;

class ComboBoxGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWidget* fixed = gtk_fixed_new();
        gtk_container_add(GTK_CONTAINER(window), fixed);
        // A button to hold the focus when the combo box should not.
        other = gtk_button_new_with_label("x");
        gtk_fixed_put(GTK_FIXED(fixed), other, 150, 10);
        gtk_fixed_put(GTK_FIXED(fixed), combo.GetCbEntryIntf(), 10, 10);
        gtk_widget_set_size_request(fixed, 200, 50);
        for (const char* letter : {"C:", "D:", "E:"})
            combo.AddItem(letter);
        combo.SetActive(1);
        ASSERT_TRUE(ShowAndSettle(window));
        gui_events::Focus(window);
        gtk_widget_grab_focus(other);
        gui_wait::Settle();
    }
    void TearDown() override
    {
        gtk_widget_destroy(window);
        GuiTest::TearDown();
    }
    PixelSnapshot Pixels() { return PixelSnapshot::OfWidget(combo.GetCbEntryWidget()); }
    // Pixels of the text area (left of the arrow) that are near the colour.
    static int CountNear(const PixelSnapshot& shot, uint32_t rgb, int tolerance)
    {
        int n = 0;
        for (int y = 4; y < shot.Height() - 4; ++y)
            for (int x = 5; x < shot.Width() - 22; ++x) {
                const uint32_t p = shot.At(x, y);
                bool near = true;
                for (int s : {16, 8, 0})
                    near = near && std::abs(static_cast<int>((p >> s) & 0xFF) - static_cast<int>((rgb >> s) & 0xFF)) <=
                                       tolerance;
                n += near ? 1 : 0;
            }
        return n;
    }

    CComboBoxEntry combo;
    GtkWidget* window = nullptr;
    GtkWidget* other = nullptr;
};

TEST_F(ComboBoxGuiTest, ValuesGoThroughTheComboBoxAndTheActiveTextIsACopy)
{
    EXPECT_TRUE(GTK_IS_COMBO_BOX(combo.GetCbEntryWidget()));
    EXPECT_TRUE(GTK_IS_EVENT_BOX(combo.GetCbEntryIntf()));
    EXPECT_EQ(combo.GetCurrentItemIndex(), 1);
    char* text = combo.GetActiveText();
    EXPECT_STREQ(text, "D:");
    g_free(text);
    combo.SetCurrentItem(2);
    EXPECT_EQ(combo.GetCurrentItemIndex(), 2);

    combo.ClearCbEntry();
    GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(combo.GetCbEntryWidget()));
    EXPECT_EQ(gtk_tree_model_iter_n_children(model, nullptr), 2);
    text = combo.GetActiveText();
    EXPECT_STREQ(text, "E:") << "the first entry went";
    g_free(text);
    combo.SetActive(-1);
    EXPECT_EQ(combo.GetCurrentItemIndex(), -1);
    EXPECT_EQ(combo.GetActiveText(), nullptr);
}

TEST_F(ComboBoxGuiTest, LooksPerState)
{
    {
        const PixelSnapshot shot = Pixels();
        ASSERT_EQ(shot.Width(), CComboBoxEntry::kWidth);
        ASSERT_EQ(shot.Height(), CComboBoxEntry::kHeight);
        EXPECT_EQ(shot.At(0, 0), kComboFrameOuter);
        EXPECT_EQ(shot.At(104, 21), kComboFrameOuter);
        EXPECT_EQ(shot.At(1, 1), 0xFFFFFFu);
        EXPECT_GT(CountNear(shot, 0x000000, 60), 5) << "black text";
        EXPECT_EQ(CountNear(shot, 0x316AC5, 0), 0) << "no selection band";
        std::string why;
        EXPECT_TRUE(PictureShownAt(shot, "../res/CBbtn_normal.png", 105 - 18, (22 - 16) / 2, &why)) << why;
    }

    // Focused: the dashed outline, the blue band and white text.
    gtk_widget_grab_focus(combo.GetCbEntryWidget());
    ASSERT_TRUE(gui_wait::Until([&] {
        GtkWidget* child = gtk_container_get_focus_child(GTK_CONTAINER(combo.GetCbEntryWidget()));
        return child && gtk_widget_has_focus(child);
    }));
    gui_wait::Settle();
    {
        const PixelSnapshot shot = Pixels();
        EXPECT_EQ(shot.At(78, 5), 0x316AC5u) << "band right of the text";
        EXPECT_EQ(shot.At(4, 17), 0x316AC5u);
        EXPECT_GT(CountNear(shot, 0xFFFFFF, 40), 5) << "white text on the band";
        EXPECT_EQ(shot.At(1, 1), 0xFFFFFFu);
    }

    // Insensitive through its event box: the dialog grey inside and grey text.
    gtk_widget_set_sensitive(combo.GetCbEntryIntf(), FALSE);
    gui_wait::Settle();
    {
        const PixelSnapshot shot = Pixels();
        EXPECT_EQ(shot.At(0, 0), kComboFrameOuter);
        EXPECT_EQ(shot.At(2, 2), 0xECE9D8u);
        EXPECT_EQ(shot.At(1, 1), 0xECE9D8u);
        EXPECT_GT(CountNear(shot, 0xACA899, 12), 3) << "grey text";
        EXPECT_EQ(CountNear(shot, 0x000000, 60), 0) << "no black text";
        EXPECT_EQ(CountNear(shot, 0x316AC5, 0), 0);
    }
}

TEST_F(ComboBoxGuiTest, DrawingTheActiveTextLeavesNoCopyBehind)
{
#if defined(__SANITIZE_ADDRESS__)
    for (int i = 0; i < 20; ++i) {
        gtk_widget_queue_draw(combo.GetCbEntryWidget());
        gui_wait::Pump();
    }
    gui_wait::Settle();
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "an exposed combo box lost memory";
#else
    GTEST_SKIP() << "needs the leak checker of AddressSanitizer";
#endif
}

} // namespace
