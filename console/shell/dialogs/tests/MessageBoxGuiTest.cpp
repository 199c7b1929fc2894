#include "CGtkMessageBox.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"

#include <gdk/gdkkeysyms.h>

#include <string>

namespace {

class MessageBoxGuiTest : public GuiTest {};

TEST_F(MessageBoxGuiTest, AnswersWithThePressedButton)
{
    struct {
        GTK_MB_TYPE type;
        int clicked;
    } cases[] = {
        {GTK_MB_YESNO, DLG_RESULT_OK},    {GTK_MB_YESNO, DLG_RESULT_CANCEL},
        {GTK_MB_OKCANCEL, DLG_RESULT_OK}, {GTK_MB_OKCANCEL, DLG_RESULT_CANCEL},
        {GTK_MB_OK, DLG_RESULT_OK},
    };
    for (const auto& c : cases) {
        CGtkMessageBox box(nullptr, "Restore", GTK_MB_ICON_QUESTION, c.type, "Go on?");
        ModalDialogAnswerer answerer(ModalDialogAnswerer::ClickResponse(c.clicked));
        EXPECT_EQ(box.RunDlg(), c.clicked) << "type " << c.type;
        EXPECT_FALSE(answerer.TimedOut());
        box.DestoryDlg();
    }
}

TEST_F(MessageBoxGuiTest, NoIsTheFocusedDefaultAndEnterPressesIt)
{
    CGtkMessageBox box(nullptr, "Restore", GTK_MB_ICON_WARNING, GTK_MB_YESNO, "Overwrite the disk?");
    GtkWidget* focusedAtRun = nullptr;
    ModalDialogAnswerer answerer([&](GtkDialog* dialog) {
        focusedAtRun = gtk_window_get_focus(GTK_WINDOW(dialog));
        ModalDialogAnswerer::TapKey(GDK_Return)(dialog);
    });
    EXPECT_EQ(box.RunDlg(), DLG_RESULT_CANCEL);
    EXPECT_EQ(focusedAtRun, box.GetButtonWidget(1));
    ASSERT_NE(box.GetButtonWidget(1), nullptr);
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(box.GetButtonWidget(1))), "_No");
    EXPECT_FALSE(answerer.TimedOut());
    box.DestoryDlg();
}

TEST_F(MessageBoxGuiTest, TextIsShownAsItIs)
{
    CGtkMessageBox box(nullptr, "Check", GTK_MB_ICON_ERROR, GTK_MB_OK, "Cannot open my_backup.rvd");
    GtkLabel* label = GTK_LABEL(box.GetTextLabel());
    EXPECT_STREQ(gtk_label_get_text(label), "Cannot open my_backup.rvd");
    EXPECT_EQ(gtk_label_get_mnemonic_keyval(label), static_cast<guint>(GDK_VoidSymbol));
    EXPECT_TRUE(gtk_label_get_line_wrap(label));
    box.DestoryDlg();
}

TEST_F(MessageBoxGuiTest, TwoButtonsSitAtQuartersOfTheWidth)
{
    CGtkMessageBox box(nullptr, "Restore", GTK_MB_ICON_RIGHT, GTK_MB_OKCANCEL, "Done.");
    int width = 0;
    int x0 = 0;
    int x1 = 0;
    ModalDialogAnswerer answerer([&](GtkDialog* dialog) {
        width = GTK_WIDGET(dialog)->allocation.width;
        x0 = box.GetButtonWidget(0)->allocation.x;
        x1 = box.GetButtonWidget(1)->allocation.x;
        gtk_dialog_response(dialog, DLG_RESULT_OK);
    });
    box.RunDlg();
    EXPECT_GT(width, 0);
    EXPECT_EQ(x0, width / 4 - 43);
    EXPECT_EQ(x1, 3 * (width / 4) - 43);
    box.DestoryDlg();
}

} // namespace
