// A collapsible panel of the side bar: a picture head and a body of picture rows.
// Clicking the head, or Enter or space on it, folds the body in or out over a short
// animation (FoldAnimation); the head's pictures follow PanelHeadMachine. Rows are
// owned by the panel.
#pragma once

#include "CItem.h"
#include "FoldAnimation.h"
#include "PanelHeadMachine.h"

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

class CFunPanel {
public:
    CFunPanel();
    ~CFunPanel();
    CFunPanel(const CFunPanel&) = delete;
    CFunPanel& operator=(const CFunPanel&) = delete;

    // Expanded normal, collapsed normal, expanded hover, collapsed hover, expanded
    // press, collapsed press; a null path is taken as empty.
    void SetHead(const char* expandedNormal, const char* collapsedNormal, const char* expandedHover,
                 const char* collapsedHover, const char* expandedPress, const char* collapsedPress);
    void SetFooter(const char* path);
    // Returns the new row's index.
    int AddItem(const char* normal, const char* hover, const char* pressed, const char* disabled,
                bool disabledAtStart);
    // Row i's drawing area, null when out of range.
    GtkWidget* GetItem(int index) const;
    CItem* Row(int index) const;
    int RowCount() const { return static_cast<int>(m_items.size()); }
    operator GtkWidget*() const { return m_outerBox; }

    void SetTitle(const char* text);
    void SetHeight(int height);
    void Expand();
    void Collapse();
    void ShowItem(int index);
    void HideItem(int index);
    void Show();
    void EnableItem(int index);
    void DisableItem(int index);
    void EnableAllItem();
    // Removes and deletes the last row.
    void PopItem();
    void SetPending();

    bool IsExpanded() const { return m_expanded; }
    bool IsFolding() const { return m_fold.Running(); }
    int BodyHeight() const { return m_fold.Height(); }
    GtkWidget* Head() const { return m_head; }
    GtkWidget* Body() const { return m_body; }
    // The head picture painted last.
    const std::string& ShownHeadPicture() const { return m_shownHead; }
    // Called after every fold tick with what the tick asked (tests watch the fold).
    void SetFoldObserver(std::function<void(const FoldTick&)> observer) { m_observer = std::move(observer); }

    static constexpr int kHeadWidth = 211;
    static constexpr int kHeadHeight = 39;
    static constexpr guint kFoldIntervalMs = 15;

private:
    void StartFold();
    bool FoldTickOnce();
    void SetRowsSensitive(bool sensitive);
    void Apply(const HeadReaction& reaction);
    void SetHeadBg(int state);
    bool PointerOverHead() const;

    static gboolean OnFoldTick(gpointer self);
    static gboolean OnHeadExpose(GtkWidget*, GdkEventExpose*, gpointer self);
    static gboolean OnHeadEnter(GtkWidget*, GdkEventCrossing*, gpointer self);
    static gboolean OnHeadLeave(GtkWidget*, GdkEventCrossing*, gpointer self);
    static gboolean OnHeadPress(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnHeadRelease(GtkWidget*, GdkEventButton*, gpointer self);
    static gboolean OnHeadFocusIn(GtkWidget*, GdkEventFocus*, gpointer self);
    static gboolean OnHeadFocusOut(GtkWidget*, GdkEventFocus*, gpointer self);
    static gboolean OnHeadKeyPress(GtkWidget*, GdkEventKey*, gpointer self);
    static gboolean OnHeadKeyRelease(GtkWidget*, GdkEventKey*, gpointer self);
    static gboolean OnBodyExpose(GtkWidget*, GdkEventExpose*, gpointer self);
    static void OnBodyShow(GtkWidget*, gpointer self);

    GtkWidget* m_frame = nullptr;
    GtkWidget* m_outerBox = nullptr; // cleared by GObject when the widget is finalised
    GtkWidget* m_head = nullptr;
    GtkWidget* m_body = nullptr;
    GtkWidget* m_bodyBox = nullptr;
    std::string m_title;
    std::vector<CItem*> m_items;
    bool m_expanded = true;
    PanelHeadMachine m_headMachine;
    bool m_pending = false;
    FoldAnimation m_fold;
    double m_alpha = 1.0;
    std::string m_heads[6];
    std::string m_footer;
    int m_headState = kHeadNormal;
    std::string m_shownHead;
    guint m_timer = 0;
    std::function<void(const FoldTick&)> m_observer;
};
