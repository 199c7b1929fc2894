// The console's one main window: the menu bar, the tool bar, the side bar beside the
// start page with its operation buttons and pictures, and the status bar. Menu and
// tool bar reach it through IMainWndController. F1 starts the help viewer; closing
// the window ends the program.
#pragma once

#include "CMenuBarPlus.h"
#include "CSideBarPlus.h"
#include "CToolBarButton.h"
#include "CToolBarPlus.h"
#include "IMainWndController.h"

#include <gtk/gtk.h>

enum StartPageButtonId { kStartBackup, kStartRestore, kStartClone, kStartCount };

class CMainWnd : public IMainWndController {
public:
    CMainWnd();
    ~CMainWnd() override;
    CMainWnd(const CMainWnd&) = delete;
    CMainWnd& operator=(const CMainWnd&) = delete;

    void ShowWnd();

    void SetToolBarStatus(int show) override;
    void SetSideBarStatus(int show) override;
    void SetMainWindowStatusText(const char* text) override;

    GtkWidget* GetWindow() const { return m_window; }
    const char* GetStatusText() const;
    CMenuBarPlus& MenuBar() { return m_menuBar; }
    CToolBarPlus& ToolBar() { return m_toolBar; }
    CSideBarPlus& SideBar() { return m_sideBar; }
    // The start page's event box, beside the side bar.
    GtkWidget* StartPage() const { return m_startPageBox; }
    CToolBarButton& StartPageButton(StartPageButtonId id);

    static constexpr const char* kTitle = "Zendrel Kivra Backup";
    static constexpr const char* kHelpTopic = " MainWindow";
    static constexpr guint kHelpKey = 0xFFBE; // F1
    static constexpr int kDefaultWidth = 850;
    static constexpr int kDefaultHeight = 600;

    static gboolean OnWndDestroyed(GtkWidget* widget, GdkEvent* event, gpointer self);
    static gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean OnRecoveryBtnRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnCloneBtnRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean MainVboxExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean StateBarExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer self);

private:
    void InitMainWnd();
    void InitMainSroWnd();
    void InitStateBar();

    GtkWidget* m_window = nullptr; // cleared by GObject when the window is finalised
    GtkWidget* m_startPageBox = nullptr;
    GtkWidget* m_startPageVbox = nullptr;
    CMenuBarPlus m_menuBar;
    CToolBarPlus m_toolBar;
    CToolBarButton m_backupButton;
    CToolBarButton m_restoreButton;
    CToolBarButton m_cloneButton;
    CSideBarPlus m_sideBar;
    GtkWidget* m_statusLabel = nullptr;
    GtkWidget* m_statusBar = nullptr;
};
