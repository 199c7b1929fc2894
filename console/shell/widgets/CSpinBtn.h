// The console's number field: a GTK spin button with one decimal digit, numeric
// input only and no wrapping, framed flat, inside an event box that owners pack.
// Init builds it; before Init only the event box exists.
#pragma once

#include <gtk/gtk.h>

class CSpinBtn {
public:
    CSpinBtn();
    // The widgets belong to the GTK tree; only this object's handlers are taken off.
    ~CSpinBtn();
    CSpinBtn(const CSpinBtn&) = delete;
    CSpinBtn& operator=(const CSpinBtn&) = delete;

    // Value, lower bound, upper bound, step increment, page increment, page size.
    void Init(double value, double lower, double upper, double step, double page, double pageSize);

    GtkWidget* GetEventBoxWidget() const { return m_eventBox; }
    // Null before Init.
    GtkWidget* GetSpinWidget() const { return m_spin; }
    // GTK emits "value-changed" when the value changes.
    void SetValue(double value);
    // 0 before Init.
    double GetValue() const;
    int GetState() const { return m_state; }

    static gboolean ExposeEventCallBack(GtkWidget* spin, GdkEventExpose* event, gpointer self);
    static gboolean OnButtonEnter(GtkWidget* box, GdkEventCrossing* event, gpointer self);
    static gboolean OnButtonLeave(GtkWidget* box, GdkEventCrossing* event, gpointer self);

    static constexpr unsigned kBackground = 0xC2D5FC;
    static constexpr guint kDigits = 1;

private:
    int m_state = 0;
    GtkWidget* m_spin = nullptr;     // cleared by GObject when the widget is finalised
    GtkWidget* m_eventBox = nullptr; // likewise
    GtkAdjustment* m_adjustment = nullptr;
};
