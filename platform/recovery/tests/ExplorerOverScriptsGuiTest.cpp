// The explorer over a root that the environment's own scripts mounted from disk
// images holding an image set of our backup engine.
#include "../../../console/shell/explorer/tests/ExplorerTree.h"
#include "CExploreCtrl.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "RecoveryTestRoot.h"

#include <algorithm>
#include <sys/stat.h>

using namespace explorer_tree;

namespace {
class ExplorerOverScriptsGuiTest : public GuiTest {};

TEST_F(ExplorerOverScriptsGuiTest, ListsTheMountedVolumesAndTheirImageFiles)
{
    const std::string disk = RecoveryTestRoot::EnvDisk();
    ASSERT_FALSE(disk.empty());
    RecoveryTestRoot env({disk});
    ASSERT_TRUE(env.Ready());
    ASSERT_EQ(env.RunScript("mwp"), 0);
    // A stray folder past the gap that the partition without a file system leaves.
    ASSERT_EQ(mkdir(env.Path("/mnt/P4").c_str(), 0755), 0);

    CExploreCtrl explorer(true);
    explorer.InitCtrl();
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_container_add(GTK_CONTAINER(window), explorer.GetDeviceListInterf());
    ASSERT_TRUE(ShowAndSettle(window));
    GtkTreeModel* model = ModelOf(explorer);
    GtkTreeIter root;
    ASSERT_TRUE(gtk_tree_model_get_iter_first(model, &root));
    EXPECT_EQ(ChildPaths(model, &root), (std::vector<std::string>{env.Path("/mnt/P1"), env.Path("/mnt/P2")}));
    GtkTreeIter row;
    ASSERT_TRUE(FindRow(model, nullptr, env.Path("/mnt/P1"), &row));
    EXPECT_EQ(Column(model, &row, CExploreCtrl::kColName), "[IMAGES]");

    GtkTreeView* view = GTK_TREE_VIEW(explorer.GetTreeView());
    for (const char* inside : {"/mnt/P1", "/mnt/P1/images"}) {
        ASSERT_TRUE(FindRow(model, nullptr, env.Path(inside), &row)) << inside;
        GtkTreePath* path = gtk_tree_model_get_path(model, &row);
        gtk_tree_view_expand_row(view, path, FALSE);
        gtk_tree_path_free(path);
    }
    gui_wait::Settle();
    ASSERT_TRUE(FindRow(model, nullptr, env.Path("/mnt/P1/images"), &row));
    std::vector<std::string> listed = ChildPaths(model, &row);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{env.Path("/mnt/P1/images/backup.RVD"), env.Path("/mnt/P1/images/empty"),
                                                env.Path("/mnt/P1/images/sub")}));
    gtk_widget_destroy(window);
}
} // namespace
