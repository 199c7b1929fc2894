// What the console's three checkable tree lists (live disks, image volumes for restore,
// image volumes for checking) share: the tree view inside an owner-drawn CScrollBar,
// columns built by AppendColumn, header cells and rows drawn by the list itself over
// the toolkit's own drawing, the check state read out of the store into a CheckTree
// and written back, the key filter and the scroll-back path.
//
// The store's root rows are disks and their children partitions or volumes; each list
// names its own columns.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "CScrollBar.h"
#include "ListCheckRules.h"
#include "ListColours.h"
#include "ListDrawing.h"
#include "ListScrollBack.h"

class CListBase {
public:
    CListBase();
    virtual ~CListBase();
    CListBase(const CListBase&) = delete;
    CListBase& operator=(const CListBase&) = delete;

    // The scrolled window to pack, and the tree view inside it (null before a fill).
    GtkWidget* GetScrolledWindow() const { return m_scroll.GetScrollBarWidget(); }
    GtkWidget* GetTreeView() const { return m_treeView; }

    // A fixed-width, resizable, not clickable text column showing modelColumn, its rows
    // as high as the store's height column says. xalign goes to the renderer and
    // alignment to the column; the last argument is not used.
    void AppendColumn(const char* title, int modelColumn, float xalign, float alignment, int width, int unused);

    // Queues a redraw of the tree view.
    void QueueRedraw();

    // Path to scroll back to (set by a click, by a caller) and the redraws left.
    void SetScrollPosition(const GtkTreePath* path) { m_scrollBack.Remember(path); }
    GtkTreePath* GetScrollPosition() const { return m_scrollBack.Path(); }

protected:
    // Drops the old tree view and puts a new one over store into the scrolled window:
    // expanders hidden, every row expanded, the list's handlers connected. The view
    // holds the store; the list keeps its own reference until the next install.
    void InstallTreeView(GtkTreeStore* store, int heightColumn);
    GtkTreeStore* Store() const { return m_store; }
    GtkTreeModel* Model() const { return GTK_TREE_MODEL(m_store); }

    // A press on the tree view; the answer goes back to the toolkit (TRUE stops the
    // view's own handling).
    virtual gboolean OnButtonPress(GdkEventButton* event) = 0;
    // Up, Down, Tab or space, before the tree view handles it. Every other key has been
    // swallowed already.
    virtual void OnListKey(unsigned keyval) = 0;
    // Draws the rows over the toolkit's drawing of the bin window.
    virtual void DrawRows(cairo_t* cr) = 0;
    // Pixels the header title is lifted.
    virtual double HeaderTitleRaise(const char* title) const;

    // The check state of every row, and writing one back.
    CheckTree ReadCheckTree(int checkedColumn) const;
    void WriteCheckTree(const CheckTree& tree, int checkedColumn);
    enum class CheckRule { AcrossDisks, OneVolumeOrOneDisk };
    // Toggles iter's check under the rule and redraws; true when the row went from
    // unchecked to checked.
    bool ToggleRow(GtkTreeIter* iter, int checkedColumn, CheckRule rule);
    // Every child row whose check is set, in tree order.
    void ForEachCheckedChild(int checkedColumn, const std::function<void(GtkTreeIter*)>& visit) const;
    // Position of iter in the tree; false when iter is deeper than a child.
    bool RowOf(GtkTreeIter* iter, CheckRow& row) const;
    bool IterOf(CheckRow row, GtkTreeIter* iter) const;
    // The row under a press on the bin window.
    bool IterAtEvent(GdkEventButton* event, GtkTreeIter* iter) const;
    bool SelectedIter(GtkTreeIter* iter) const;

    std::string TextAt(GtkTreeIter* iter, int column) const;
    int IntAt(GtkTreeIter* iter, int column) const;
    void* PointerAt(GtkTreeIter* iter, int column) const;

    // Drawing helpers for DrawRows.
    struct CellLook {
        bool selected = false;
        bool drawCheck = false;
        bool checked = false;
        bool swatch = false;
        ListRgb swatchColour{0, 0, 0};
        int forcedHeight = 0;          // 0 keeps the view's row height
        bool cutFirstColumn = false;   // cut the first column's text to its width
        bool greyed = false;           // a row that cannot be chosen: its text in grey
        bool spanFirstTwo = false;     // the first column's text runs over the second column
    };
    // Every column but the last, over the cells' background areas.
    void DrawChildCells(cairo_t* cr, GtkTreeIter* iter, const CellLook& look);
    // The disk row: band, title, gradient line and (when drawCheck) the check picture.
    void DrawDiskRow(cairo_t* cr, GtkTreeIter* iter, const std::string& title, const CellLook& look);
    bool RowExpanded(GtkTreeIter* iter) const;

    ListScrollBack m_scrollBack;

private:
    static gboolean ExposeThunk(GtkWidget* view, GdkEventExpose* event, gpointer self);
    static gboolean ButtonThunk(GtkWidget* view, GdkEventButton* event, gpointer self);
    static gboolean KeyThunk(GtkWidget* view, GdkEventKey* event, gpointer self);
    // Takes the list's handlers off the view and its header buttons.
    void DisconnectFromView();
    static gboolean HeaderThunk(GtkWidget* button, GdkEventExpose* event, gpointer self);
    ListRect CellArea(GtkTreeIter* iter, GtkTreeViewColumn* column) const;

    CScrollBar m_scroll;
    GtkWidget* m_treeView = nullptr;
    GtkTreeStore* m_store = nullptr;
    int m_heightColumn = -1;
};
