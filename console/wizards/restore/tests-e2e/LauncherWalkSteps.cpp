#include "LauncherWalkSteps.h"

#include <gdk/gdkkeysyms.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>

#include "CDeviceList.h"
#include "CEditPartitionPage.h"
#include "CReadImageFilePartitionPage.h"
#include "CRestoreVolListCtrl.h"
#include "CSelectTargetPartitionPage.h"
#include "CSpinBtn.h"
#include "CommandOutput.h"
#include "FixtureImage.h"
#include "GuiEvents.h"
#include "GuiWait.h"

namespace launcher_walk {

CRestoreWizardDialog* W() { return CRestoreWizardDialog::Running(); }
bool On(int page) { return W() != nullptr && W()->GetCurrentPage() == page; }
GtkWidget* Next() { return W()->GetNextButton(); }

// Next, as a user reaches it: a click when the pointer over the button's middle is
// really over the button (a page that does not fit its window covers the button row),
// else its key (Return), which the wizard routes to Next wherever the focus is.
void PressNext()
{
    GtkWidget* next = Next();
    gui_events::MovePointerTo(next, next->allocation.width / 2, next->allocation.height / 2);
    gui_wait::Settle(20);
    GdkWindow* under = gdk_window_at_pointer(nullptr, nullptr);
    gpointer owner = nullptr;
    if (under != nullptr)
        gdk_window_get_user_data(under, &owner);
    if (owner == next) {
        gui_events::Click(next);
        return;
    }
    gui_events::Focus(W()->GetDlg());
    gui_events::TapKey(GDK_Return);
}

// The row of a tree view whose iterator matches, as a path (null when none).
GtkTreePath* FindRow(GtkWidget* view, const std::function<bool(GtkTreeModel*, GtkTreeIter*)>& matches)
{
    if (view == nullptr)
        return nullptr;
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(view));
    GtkTreePath* found = nullptr;
    std::function<void(GtkTreeIter*)> walk = [&](GtkTreeIter* parent) {
        GtkTreeIter child;
        if (!gtk_tree_model_iter_children(model, &child, parent))
            return;
        do {
            if (found == nullptr && matches(model, &child))
                found = gtk_tree_model_get_path(model, &child);
            walk(&child);
        } while (found == nullptr && gtk_tree_model_iter_next(model, &child));
    };
    if (model != nullptr)
        walk(nullptr);
    return found;
}

// Whether a row was found; the path is freed.
bool Found(GtkTreePath* path)
{
    if (path == nullptr)
        return false;
    gtk_tree_path_free(path);
    return true;
}

// Clicks the middle of a row's second column, once the row is laid out and on screen.
bool ClickRow(GtkWidget* view, GtkTreePath* path)
{
    if (path == nullptr || !GTK_WIDGET_MAPPED(view))
        return false;
    gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(view), path, nullptr, FALSE, 0, 0);
    gui_wait::Settle();
    GdkRectangle cell;
    gtk_tree_view_get_cell_area(GTK_TREE_VIEW(view), path, gtk_tree_view_get_column(GTK_TREE_VIEW(view), 1), &cell);
    if (cell.height <= 0)
        return false;
    int x = 0, y = 0;
    gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(view), cell.x + cell.width / 2,
                                                      cell.y + cell.height / 2, &x, &y);
    gui_events::MovePointerTo(view, x, y);
    gui_events::PressButton(1);
    gui_events::ReleaseButton(1);
    return true;
}

// The tree view's cursor is on path.
bool CursorOn(GtkWidget* view, GtkTreePath* path)
{
    GtkTreePath* cursor = nullptr;
    gtk_tree_view_get_cursor(GTK_TREE_VIEW(view), &cursor, nullptr);
    const bool on = cursor != nullptr && gtk_tree_path_compare(cursor, path) == 0;
    if (cursor != nullptr)
        gtk_tree_path_free(cursor);
    return on;
}

// Selects a row as a user does: a click on it, and where the click cannot reach it
// (a list taller than the window shows), the arrow keys from the row the cursor is on.
void SelectRow(GtkWidget* view, GtkTreePath* path)
{
    ClickRow(view, path);
    gui_wait::Settle();
    for (int i = 0; i < 80 && !CursorOn(view, path); ++i) {
        GtkTreePath* cursor = nullptr;
        gtk_tree_view_get_cursor(GTK_TREE_VIEW(view), &cursor, nullptr);
        const bool down = cursor == nullptr || gtk_tree_path_compare(cursor, path) < 0;
        if (cursor != nullptr)
            gtk_tree_path_free(cursor);
        gui_events::TapKey(down ? GDK_Down : GDK_Up);
        gui_wait::Settle(20);
    }
}

CReadImageFilePartitionPage* VolumePage()
{
    return static_cast<CReadImageFilePartitionPage*>(W()->GetPageObject(RESTORE_PAGE_IMAGE_PARTITION));
}
CDeviceList* TargetList()
{
    return static_cast<CSelectTargetPartitionPage*>(W()->GetPageObject(RESTORE_PAGE_TARGET_PARTITION))->GetDeviceList();
}
CEditPartitionPage* EditPage()
{
    return static_cast<CEditPartitionPage*>(W()->GetPageObject(RESTORE_PAGE_EDIT_PARTITION));
}

// The stored volume's row by the first sector its partition had.
GtkTreePath* VolumeRow(uint64_t sourceStart)
{
    return FindRow(VolumePage()->GetList()->GetTreeView(), [&](GtkTreeModel* model, GtkTreeIter* iter) {
        gpointer record = nullptr;
        gtk_tree_model_get(model, iter, CRestoreVolListCtrl::COL_RECORD, &record, -1);
        return record != nullptr && static_cast<const _KS_VOLUME*>(record)->PartitionStart == sourceStart;
    });
}

// The target disk's row holding sector `at`: a partition that starts there, or the
// free space around it.
GtkTreePath* TargetRow(int disk, uint64_t at)
{
    CDeviceList* list = TargetList();
    return FindRow(list->GetDeviceListWidget(), [&](GtkTreeModel* model, GtkTreeIter* iter) {
        gboolean isDisk = TRUE;
        int d = -1, p = -1;
        gtk_tree_model_get(model, iter, CDeviceList::COL_IS_DISK, &isDisk, CDeviceList::COL_DISK, &d,
                           CDeviceList::COL_PART, &p, -1);
        if (isDisk || d != disk || p < 0)
            return false;
        __PARTITION_INFO_CMD record{};
        list->FindPartitionData(static_cast<uint64_t>(d), static_cast<uint8_t>(p), record);
        return record.PartitionType == 0 ? record.StartSector <= at && at < record.StartSector + record.SectorCount
                                         : record.StartSector == at;
    });
}

// Types a number into a spin button as a user does: click into it, clear it, type,
// and leave it with Tab (Return would be the wizard's Next). A click that has not yet
// given the entry the focus when the keys come is made again.
void TypeInto(GtkWidget* spin, const std::string& text)
{
    const double wanted = std::atof(text.c_str());
    for (int attempt = 0; attempt < 3; ++attempt) {
        gui_events::Click(spin);
        if (!gui_wait::Until([&] { return gtk_widget_has_focus(spin) != FALSE; }, 5000))
            continue;
        gui_events::TapKey(GDK_End);
        for (int i = 0; i < 12; ++i)
            gui_events::TapKey(GDK_BackSpace);
        for (const char c : text)
            gui_events::TapKey(static_cast<unsigned char>(c));
        gui_events::TapKey(GDK_Tab);
        if (gui_wait::Until([&] { return std::fabs(gtk_spin_button_get_value(GTK_SPIN_BUTTON(spin)) - wanted) < 0.05; },
                            5000))
            return;
    }
}

std::string Sh(const std::string& command) { return CommandOutput(command + " 2>&1"); }

bool CopyWalkTarget(const std::string& path)
{
    const std::string fixture = MakeFixtureImage("restore/restore-walk-target.sh", "restore-walk-target.img");
    return !fixture.empty() && std::system(("cp --sparse=always '" + fixture + "' '" + path + "'").c_str()) == 0;
}

void LauncherWalkTest::SetUp()
{
    GuiTest::SetUp();
    for (const std::string module :
         {VESSMAR_MODULE_FILE, TILLORY_MODULE_FILE, COMMON_MODULE_FILE, BRASKET_MODULE_FILE}) {
        const std::string link = module.substr(module.rfind('/') + 1);
        if (access(link.c_str(), F_OK) != 0) {
            ASSERT_EQ(symlink(module.c_str(), link.c_str()), 0) << link;
        }
    }
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 200, 100);
    ShowAndSettle(window);
}

void LauncherWalkTest::TearDown()
{
    gtk_widget_destroy(window);
    GuiTest::TearDown();
}

} // namespace launcher_walk
