// The explorer on screen over a hand-made environment root: real keys and clicks, the
// tree store read back.
#include "../../env/tests/EnvTestRoot.h"
#include "../../env/tests/RecordingEnvCommandRunner.h"
#include "CExploreCtrl.h"
#include "CExploreCtrlDlg.h"
#include "ExplorerTree.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>

using namespace explorer_tree;

namespace {

class ExplorerGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        const std::string r = root_.Root();
        root_.Write("/mnt/volinfo", "/dev/sda1 on " + r + "/mnt/P1 type vfat (ro) [IMAGES]\n" + "/dev/sda2 on " + r +
                                        "/mnt/P2 type vfat (ro)\n");
        root_.Write("/mnt/volcdrominfo", "/dev/sr0 " + r + "/mnt/CD1 [OLD DISC]\n");
        for (const char* name : {"backup.RVD", "backup.rv", "backup", "old.rvdx"})
            root_.Write(std::string("/mnt/P1/images/") + name, "x");
        root_.Write("/mnt/P1/images/sub/inner.rvd", "x");
        root_.MakeFolders("/mnt/P2");
        root_.Write("/mnt/P4/stray.rvd", "x");
        root_.Write("/mnt/CD1/folder/deeper/disc.rvd", "x");
    }

    // A window around the explorer, shown and focused.
    GtkWidget* Show(CExploreCtrl& explorer)
    {
        explorer.InitCtrl();
        GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window), 300, 400);
        gtk_container_add(GTK_CONTAINER(window), explorer.GetDeviceListInterf());
        EXPECT_TRUE(ShowAndSettle(window));
        gui_events::Focus(window);
        gtk_widget_grab_focus(explorer.GetTreeView());
        gui_wait::Settle();
        return window;
    }

    std::string P(const std::string& inside) const { return root_.Root() + inside; }

    EnvTestRoot root_;
    RecordingEnvCommandRunner runner_;
};

// Counts the keys the explorer lets through to the view.
gboolean CountKey(GtkWidget*, GdkEventKey*, gpointer count)
{
    ++*static_cast<int*>(count);
    return FALSE;
}

TEST_F(ExplorerGuiTest, RootListsVolumesUpToTheFirstGapByLabel)
{
    CExploreCtrl explorer(true);
    GtkWidget* window = Show(explorer);
    GtkTreeModel* model = ModelOf(explorer);
    GtkTreeIter root;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(model, &root));
    EXPECT_EQ(Column(model, &root, CExploreCtrl::kColName), "My Computer");
    EXPECT_TRUE(IsExpanded(explorer, "My Computer"));
    EXPECT_EQ(ChildPaths(model, &root), (std::vector<std::string>{P("/mnt/P1"), P("/mnt/P2"), P("/mnt/CD1")}));
    GtkTreeIter row;
    ASSERT_TRUE(FindRow(model, nullptr, P("/mnt/P1"), &row));
    EXPECT_EQ(Column(model, &row, CExploreCtrl::kColName), "[IMAGES]");
    ASSERT_TRUE(FindRow(model, nullptr, P("/mnt/P2"), &row));
    EXPECT_EQ(Column(model, &row, CExploreCtrl::kColName), "[]");
    EXPECT_EQ(ChildPaths(model, &row), std::vector<std::string>{""}) << "a placeholder until it is read";
    EXPECT_TRUE(runner_.runs.empty());
    gtk_widget_destroy(window);
}

TEST_F(ExplorerGuiTest, ArrowsExpandAndCollapseAndAreConsumed)
{
    CExploreCtrl explorer(true);
    GtkWidget* window = Show(explorer);
    int reached = 0;
    // Connected after the explorer's own handler: it sees what the explorer lets through.
    g_signal_connect(explorer.GetTreeView(), "key-press-event", G_CALLBACK(CountKey), &reached);
    ASSERT_TRUE(SelectRow(explorer, P("/mnt/P1")));
    gui_wait::Settle();

    gui_events::TapKey(GDK_Right);
    ASSERT_TRUE(gui_wait::Until([&] { return IsExpanded(explorer, P("/mnt/P1")); }));
    ASSERT_TRUE(SelectRow(explorer, P("/mnt/P1/images")));
    gui_events::TapKey(GDK_Right);
    ASSERT_TRUE(gui_wait::Until([&] { return IsExpanded(explorer, P("/mnt/P1/images")); }));
    GtkTreeModel* model = ModelOf(explorer);
    GtkTreeIter images;
    ASSERT_TRUE(FindRow(model, nullptr, P("/mnt/P1/images"), &images));
    std::vector<std::string> listed = ChildPaths(model, &images);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{P("/mnt/P1/images/backup.RVD"), P("/mnt/P1/images/sub")}));

    gui_events::TapKey(GDK_Left);
    ASSERT_TRUE(gui_wait::Until([&] { return !IsExpanded(explorer, P("/mnt/P1/images")); }));
    EXPECT_EQ(reached, 0) << "the arrows never reach the view";
    gui_events::TapKey(GDK_Down);
    gui_wait::Settle();
    EXPECT_EQ(reached, 1) << "other keys go on";
    gtk_widget_destroy(window);
}

TEST_F(ExplorerGuiTest, AFolderIsReadOnceAndDoubleClickToggles)
{
    CExploreCtrl explorer(true);
    GtkWidget* window = Show(explorer);
    GtkTreeView* view = GTK_TREE_VIEW(explorer.GetTreeView());
    GtkTreeModel* model = ModelOf(explorer);
    GtkTreeIter row;
    ASSERT_TRUE(FindRow(model, nullptr, P("/mnt/P1"), &row));
    GtkTreePath* path = gtk_tree_model_get_path(model, &row);
    gtk_tree_view_expand_row(view, path, FALSE);
    ASSERT_TRUE(FindRow(model, nullptr, P("/mnt/P1/images"), &row));
    GtkTreePath* images = gtk_tree_model_get_path(model, &row);
    gtk_tree_view_expand_row(view, images, FALSE);
    gui_wait::Settle();
    const size_t before = ChildPaths(model, &row).size();

    root_.Write("/mnt/P1/images/later.rvd", "x");
    gtk_tree_view_collapse_row(view, images);
    gtk_tree_view_expand_row(view, images, FALSE);
    ASSERT_TRUE(FindRow(model, nullptr, P("/mnt/P1/images"), &row));
    EXPECT_EQ(ChildPaths(model, &row).size(), before) << "the folder is not read again";

    // A double click on the row's text collapses it and a second one expands it.
    GdkRectangle cell;
    gtk_tree_view_get_cell_area(view, images, nullptr, &cell);
    gui_events::MovePointerTo(explorer.GetTreeView(), cell.x + cell.width / 2 + 40, cell.y + cell.height / 2);
    for (int i = 0; i < 2; ++i) {
        gui_events::PressButton(1);
        gui_events::ReleaseButton(1);
    }
    ASSERT_TRUE(gui_wait::Until([&] { return !IsExpanded(explorer, P("/mnt/P1/images")); }));
    gtk_tree_path_free(images);
    gtk_tree_path_free(path);
    gtk_widget_destroy(window);
}

TEST_F(ExplorerGuiTest, UpdateCtrlRefreshesTheDiscRowAboveTheSelection)
{
    CExploreCtrl explorer(true);
    GtkWidget* window = Show(explorer);
    GtkTreeView* view = GTK_TREE_VIEW(explorer.GetTreeView());
    GtkTreeModel* model = ModelOf(explorer);
    for (const char* inside : {"/mnt/CD1", "/mnt/CD1/folder", "/mnt/CD1/folder/deeper"}) {
        GtkTreeIter row;
        ASSERT_TRUE(FindRow(model, nullptr, P(inside), &row)) << inside;
        GtkTreePath* path = gtk_tree_model_get_path(model, &row);
        gtk_tree_view_expand_row(view, path, FALSE);
        gtk_tree_path_free(path);
    }
    EXPECT_EQ(runner_.runs, (std::vector<std::vector<std::string>>{{P("/mnt/mcd")}})) << "discs refreshed once";
    EXPECT_TRUE(CExploreCtrl::DiscsRefreshed());

    // A new disc: another label and other files.
    root_.Write("/mnt/volcdrominfo", "/dev/sr0 " + P("/mnt/CD1") + " [NEW DISC]\n");
    std::system(("rm -rf '" + P("/mnt/CD1/folder") + "'").c_str());
    root_.Write("/mnt/CD1/new.rvd", "x");
    ASSERT_TRUE(SelectRow(explorer, P("/mnt/CD1/folder/deeper/disc.rvd")));
    explorer.UpdateCtrl();
    GtkTreeIter disc;
    ASSERT_TRUE(FindRow(model, nullptr, P("/mnt/CD1"), &disc)) << "the disc row keeps its place";
    EXPECT_EQ(Column(model, &disc, CExploreCtrl::kColName), "[NEW DISC]");
    EXPECT_EQ(ChildPaths(model, &disc), std::vector<std::string>{P("/mnt/CD1/new.rvd")});
    GtkTreeIter root;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(model, &root));
    EXPECT_EQ(ChildPaths(model, &root), (std::vector<std::string>{P("/mnt/P1"), P("/mnt/P2"), P("/mnt/CD1")}));

    // Neither the root nor a volume has a disc row above it: nothing changes.
    root_.Write("/mnt/volcdrominfo", "/dev/sr0 " + P("/mnt/CD1") + " [THIRD]\n");
    for (const char* selected : {"My Computer", "/mnt/P1"}) {
        ASSERT_TRUE(SelectRow(explorer, selected[0] == '/' ? P(selected) : selected));
        explorer.UpdateCtrl();
        ASSERT_TRUE(FindRow(model, nullptr, P("/mnt/CD1"), &disc));
        EXPECT_EQ(Column(model, &disc, CExploreCtrl::kColName), "[NEW DISC]") << selected;
    }
    gtk_widget_destroy(window);
}

class RowCounter : public IListCallBack {
public:
    void RowChangeCallBack() override { ++changes; }
    int changes = 0;
};

TEST_F(ExplorerGuiTest, CursorChangesAreReportedAndTheDialogGivesThePath)
{
    {
        CExploreCtrl explorer(false);
        RowCounter counter;
        explorer.SetRowChangedCallBack(&counter);
        GtkWidget* window = Show(explorer);
        ASSERT_TRUE(SelectRow(explorer, P("/mnt/P1")));
        EXPECT_EQ(explorer.GetSelectedFullPath(), P("/mnt/P1"));
        EXPECT_EQ(explorer.GetSelectedName(), "[IMAGES]");
        EXPECT_GE(counter.changes, 1);
        gtk_widget_destroy(window);
    }

    CExploreCtrlDlg dialog(nullptr, "Select an image");
    int width = 0, height = 0;
    std::string picked;
    ModalDialogAnswerer answerer([&](GtkDialog* d) {
        width = GTK_WIDGET(d)->allocation.width;
        height = GTK_WIDGET(d)->allocation.height;
        SelectRow(dialog.Explorer(), P("/mnt/P2"));
        picked = dialog.GetSelectedPath();
        gtk_dialog_response(d, DLG_RESULT_OK);
    });
    EXPECT_EQ(dialog.RunDlg(), DLG_RESULT_OK);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    EXPECT_EQ(picked, P("/mnt/P2"));
    EXPECT_EQ(dialog.GetButtonCount(), 2);
}

} // namespace
