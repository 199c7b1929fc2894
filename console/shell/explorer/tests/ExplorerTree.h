// Reads an explorer's tree store in tests: the rows under a row, and a row by path.
#pragma once

#include "CExploreCtrl.h"

#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace explorer_tree {

inline std::string Column(GtkTreeModel* model, GtkTreeIter* iter, int column)
{
    gchar* text = nullptr;
    gtk_tree_model_get(model, iter, column, &text, -1);
    std::string value = text ? text : "";
    g_free(text);
    return value;
}

// Full paths of the children of parent (null: the top rows), placeholders as "".
inline std::vector<std::string> ChildPaths(GtkTreeModel* model, GtkTreeIter* parent)
{
    std::vector<std::string> paths;
    GtkTreeIter child;
    for (gboolean ok = gtk_tree_model_iter_children(model, &child, parent); ok;
         ok = gtk_tree_model_iter_next(model, &child))
        paths.push_back(Column(model, &child, CExploreCtrl::kColFullPath));
    return paths;
}

inline bool FindRow(GtkTreeModel* model, GtkTreeIter* parent, const std::string& fullPath, GtkTreeIter* found)
{
    GtkTreeIter child;
    for (gboolean ok = gtk_tree_model_iter_children(model, &child, parent); ok;
         ok = gtk_tree_model_iter_next(model, &child)) {
        if (Column(model, &child, CExploreCtrl::kColFullPath) == fullPath) {
            *found = child;
            return true;
        }
        if (FindRow(model, &child, fullPath, found))
            return true;
    }
    return false;
}

inline GtkTreeModel* ModelOf(const CExploreCtrl& explorer)
{
    return gtk_tree_view_get_model(GTK_TREE_VIEW(explorer.GetTreeView()));
}

// Puts the cursor on the row of that full path; false when there is none.
inline bool SelectRow(CExploreCtrl& explorer, const std::string& fullPath)
{
    GtkTreeModel* model = ModelOf(explorer);
    GtkTreeIter row;
    if (!FindRow(model, nullptr, fullPath, &row))
        return false;
    GtkTreePath* path = gtk_tree_model_get_path(model, &row);
    gtk_tree_view_set_cursor(GTK_TREE_VIEW(explorer.GetTreeView()), path, nullptr, FALSE);
    gtk_tree_path_free(path);
    return true;
}

inline bool IsExpanded(CExploreCtrl& explorer, const std::string& fullPath)
{
    GtkTreeModel* model = ModelOf(explorer);
    GtkTreeIter row;
    if (!FindRow(model, nullptr, fullPath, &row))
        return false;
    GtkTreePath* path = gtk_tree_model_get_path(model, &row);
    const bool expanded = gtk_tree_view_row_expanded(GTK_TREE_VIEW(explorer.GetTreeView()), path);
    gtk_tree_path_free(path);
    return expanded;
}

} // namespace explorer_tree
