// The main window's tool bar: eight picture buttons over a background picture and a
// dark strip. Restore, Clone and Check start their operation through the shared
// launcher (scan, then wizard); Help starts the help viewer; the others are greyed.
// Pointing at a button shows its tip and puts the same text in the status line.
#pragma once

#include "CToolBarButton.h"
#include "IMainWndController.h"
#include "SchemeInfo.h"
#include "ToolBarButtons.h"

#include <gtk/gtk.h>

class CToolBarPlus {
public:
    CToolBarPlus();
    ~CToolBarPlus();
    CToolBarPlus(const CToolBarPlus&) = delete;
    CToolBarPlus& operator=(const CToolBarPlus&) = delete;

    GtkWidget* GetToolBarPlusWidget() const { return m_vbox; }
    void SetParentWnd(GtkWidget* parent) { m_parent = parent; }
    void SetMainWndController(IMainWndController* controller) { m_controller = controller; }
    // Partition schemes do not change the tool bar.
    void SetPartitionSchemeName(tagSCHEME_INFO) {}
    // Sets a tip on any widget through the tool bar's one tooltips object.
    void AddToolTip(GtkWidget* widget, const char* tip);

    CToolBarButton& Button(ToolBarButtonId id) { return *m_buttons[id]; }
    GtkTooltips* Tooltips() const { return m_tooltips; }

    static constexpr gint kTipDelayMs = 800;
    static constexpr gint kAddedTipDelayMs = 1000;
    static constexpr gint kStripHeight = 5;

    static gboolean OnMount(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnUnmount(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnCheck(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnOption(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnBackup(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnRestore(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnClone(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnHelp(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnMountEnterNotifyEvent(GtkWidget*, GdkEventCrossing*, gpointer self);
    static gboolean OnUnmountEnterNotifyEvent(GtkWidget*, GdkEventCrossing*, gpointer self);
    static gboolean OnCheckEnterNotifyEvent(GtkWidget*, GdkEventCrossing*, gpointer self);
    static gboolean OnoptEnterNotifyEvent(GtkWidget*, GdkEventCrossing*, gpointer self);
    static gboolean OnbackupEnterNotifyEvent(GtkWidget*, GdkEventCrossing*, gpointer self);
    static gboolean OnrestoreEnterNotifyEvent(GtkWidget*, GdkEventCrossing*, gpointer self);
    static gboolean OncloneEnterNotifyEvent(GtkWidget*, GdkEventCrossing*, gpointer self);
    static gboolean OnhelpEnterNotifyEvent(GtkWidget*, GdkEventCrossing*, gpointer self);
    static gboolean OnButtonLeave(GtkWidget*, GdkEventCrossing*, gpointer self);
    static gboolean ExposeEventCallBack(GtkWidget*, GdkEventExpose*, gpointer self);
    static gboolean EventBoxExposeEventCallBack(GtkWidget*, GdkEventExpose*, gpointer self);
    static void DrawDownShadow(GtkWidget* row);

private:
    gboolean ShowTip(ToolBarButtonId id, GtkWidget* widget);
    void Act(ToolBarAction action);

    GtkWidget* m_vbox = nullptr;
    GtkWidget* m_hbox = nullptr;
    GtkWidget* m_strip = nullptr;
    GtkWidget* m_parent = nullptr;
    CToolBarButton* m_buttons[kTbCount] = {};
    IMainWndController* m_controller = nullptr;
    // One tooltips object for every tip, released with the tool bar.
    GtkTooltips* m_tooltips = nullptr;
};
