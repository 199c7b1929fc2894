// A tree browser over the volumes and discs the recovery environment mounted under
// "/mnt": the root "My Computer", a row per volume (P1, P2, ...) and disc (CD1, ...)
// named by its label, and folders read the first time they are expanded. Image files
// (".rvd") are listed when the list-files option is on. The restore and check-image
// wizards pick a file or folder with it.
#pragma once

#include "IListCallBack.h"

#include <gtk/gtk.h>

#include <memory>
#include <string>

class CScrollBar;

class CExploreCtrl {
public:
    enum Column {
        kColName = 0,
        kColUnused,
        kColHeight,
        kColClosedPicture,
        kColExpandedPicture,
        kColCollapsedPicture,
        kColFullPath,
        kColLoaded,
        kColumnCount
    };
    static constexpr const char* kRootName = "My Computer";
    static constexpr int kRowHeight = 20;

    explicit CExploreCtrl(bool listFiles);
    ~CExploreCtrl();
    CExploreCtrl(const CExploreCtrl&) = delete;
    CExploreCtrl& operator=(const CExploreCtrl&) = delete;

    // Builds the view and fills the root; a second call replaces the first view.
    void InitCtrl();
    // The scrolled window to pack.
    GtkWidget* GetDeviceListInterf() const;
    // The tree view whose selection and model the wizards read.
    GtkWidget* GetTreeView() const { return m_treeView; }
    void SetRowChangedCallBack(IListCallBack* callback) { m_callback = callback; }

    std::string GetSelectedFullPath() const { return m_selectedPath; }
    std::string GetSelectedName() const { return m_selectedName; }

    // After a disc change: reads the disc row above the selection again. Does nothing
    // when the selection lies under no disc row or the disc list has no device for it.
    void UpdateCtrl();

    // Cleared by InitCtrl; set once the environment's discs were refreshed for a
    // disc folder. Program-wide, so the refresh runs at most once per InitCtrl.
    static bool DiscsRefreshed();

private:
    static void OnRowExpanded(GtkTreeView* view, GtkTreeIter* iter, GtkTreePath* path, gpointer self);
    static gboolean OnButtonPress(GtkWidget* view, GdkEventButton* event, gpointer self);
    static void OnCursorChanged(GtkTreeView* view, gpointer self);
    static gboolean OnKeyPress(GtkWidget* view, GdkEventKey* event, gpointer self);

    void BuildView();
    void FillRow(GtkTreeIter* iter);
    void FillRoot(GtkTreeIter* root);
    void FillFolder(GtkTreeIter* row, const std::string& folder);
    void AddMountRow(GtkTreeIter* parent, const std::string& mountPoint, const std::string& listFile, GdkPixbuf* picture);
    void AddPlaceholder(GtkTreeIter* parent);
    void RemoveChildren(GtkTreeIter* parent);
    void ToggleSelected(bool expand);
    void LoadPictures();

    GtkTreeSelection* m_selection = nullptr;
    GtkTreeStore* m_store = nullptr;
    GtkWidget* m_treeView = nullptr; // cleared by GObject when the widget is finalised
    std::unique_ptr<CScrollBar> m_scroll;
    GtkWidget* m_window = nullptr; // the scroll bar's window, referenced while the explorer lives
    bool m_listFiles;
    GdkPixbuf* m_openFolder = nullptr;
    GdkPixbuf* m_closedFolder = nullptr;
    GdkPixbuf* m_disc = nullptr;
    GdkPixbuf* m_volume = nullptr;
    GdkPixbuf* m_root = nullptr;
    GdkPixbuf* m_file = nullptr;
    std::string m_selectedPath;
    std::string m_selectedName;
    IListCallBack* m_callback = nullptr;
};
