// The console's single-line text field: a GTK entry with a flat two-colour frame and
// no context menu. Owners pack GetEntryWidget() and connect their own "changed".
#pragma once

#include <gtk/gtk.h>

class CEntryPlus {
public:
    CEntryPlus();
    // The widget belongs to the GTK tree; only this object's handlers are taken off.
    ~CEntryPlus();
    CEntryPlus(const CEntryPlus&) = delete;
    CEntryPlus& operator=(const CEntryPlus&) = delete;

    GtkWidget* GetEntryWidget() const { return m_entry; }
    void CanEdit(int editable);
    // Emits the entry's "changed".
    void SetEntryText(const char* text);
    // Owned by GTK; valid until the text changes.
    const char* GetEntryText() const;

    static gboolean ExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean ButtonPressCallBack(GtkWidget* widget, GdkEventButton* event, gpointer self);

    static constexpr unsigned kSelectedTextBase = 0x316AC5;

private:
    void UpdateWidgetBg();

    GtkWidget* m_entry = nullptr; // cleared by GObject when the widget is finalised
};
