// The console's drop-down choice: a GTK text combo box in an event box, painted flat
// with a frame, its active text and a picture arrow. Owners pack GetCbEntryIntf()
// and read or watch the combo box that GetCbEntryWidget() gives (a text combo box
// has no entry inside).
#pragma once

#include "ComboLook.h"

#include <gtk/gtk.h>

class CComboBoxEntry {
public:
    CComboBoxEntry();
    // The widgets belong to the GTK tree; only this object's handlers are taken off.
    ~CComboBoxEntry();
    CComboBoxEntry(const CComboBoxEntry&) = delete;
    CComboBoxEntry& operator=(const CComboBoxEntry&) = delete;

    GtkWidget* GetCbEntryIntf() const { return m_eventBox; }
    GtkWidget* GetCbEntryWidget() const { return m_combo; }
    // Kept for owners that name the window the list belongs to; the combo box stays
    // inside its event box.
    void SetParentWnd(GtkWidget* parent) { m_parentWnd = parent; }
    GtkWidget* GetParentWnd() const { return m_parentWnd; }

    void AddItem(const char* text);
    // Removes the entry at position 0.
    void ClearCbEntry();
    void SetActive(int index);
    void SetCurrentItem(int index);
    // -1 when nothing is chosen.
    int GetCurrentItemIndex() const;
    // A new copy of the active text, null when none; the caller frees it with g_free.
    char* GetActiveText() const;
    int GetState() const { return m_state; }

    static gboolean ExposeEventCallBack(GtkWidget* combo, GdkEventExpose* event, gpointer self);
    // Not connected by the constructor; owners that want a hover arrow connect them.
    static gboolean OnButtonEnter(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean OnButtonLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean OnEventAfter(GtkWidget* widget, GdkEvent* event, gpointer self);
    static void SetComboStyle(GtkWidget* widget);

    static constexpr int kWidth = 105;
    static constexpr int kHeight = 22;

private:
    void DrawBg(GtkWidget* combo, const ComboLook& look);
    void DrawActiveText(GtkWidget* combo, const ComboLook& look);
    void DrawImage(GtkWidget* combo, const ComboLook& look);

    GtkWidget* m_eventBox = nullptr; // cleared by GObject when the widget is finalised
    GtkWidget* m_combo = nullptr;
    int m_state = kComboNormal;
    GtkWidget* m_parentWnd = nullptr;
};
