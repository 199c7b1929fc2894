// One picture row of a side-bar panel: a drawing area showing its normal, hover,
// pressed or disabled picture, faded with the panel's fold. The side bar connects
// its own handlers after the row's, to start what the row stands for.
#pragma once

#include "ItemPicture.h"

#include <gtk/gtk.h>

class CItem {
public:
    CItem(int index, const char* normal, const char* hover, const char* pressed, const char* disabled,
          bool disabledAtStart);
    // The widgets belong to the panel's tree; only this object's handlers are taken off.
    ~CItem();
    CItem(const CItem&) = delete;
    CItem& operator=(const CItem&) = delete;

    // The drawing area: the row's event target.
    GtkWidget* GetWidget() const { return m_area; }
    // The box packed into the panel.
    operator GtkWidget*() const { return m_box; }

    void SetAlpha(double alpha);
    double GetAlpha() const { return m_alpha; }
    void SetEnable(bool enable);
    bool IsDisable() const { return m_disabled; }
    bool IsCreatedDisabled() const { return m_createdDisabled; }
    int Index() const { return m_index; }
    bool IsPressed() const { return m_pressed; }
    // The picture the last draw painted; empty when none.
    const std::string& ShownPicture() const { return m_shown; }

    static constexpr int kWidth = 210;
    static constexpr int kHeight = 39;

    static gboolean OnExpose(GtkWidget* area, GdkEventExpose* event, gpointer self);
    static gboolean OnEnter(GtkWidget* area, GdkEventCrossing* event, gpointer self);
    static gboolean OnLeave(GtkWidget* area, GdkEventCrossing* event, gpointer self);
    static gboolean OnButtonRelease(GtkWidget* area, GdkEventButton* event, gpointer self);
    static gboolean OnButtonPress(GtkWidget* area, GdkEventButton* event, gpointer self);
    static gboolean OnKeyRelease(GtkWidget* area, GdkEventKey* event, gpointer self);

private:
    bool PointerOver() const;
    static void SetCursor(GtkWidget* area, GdkCursorType type);

    ItemPictures m_pictures;
    GtkWidget* m_area = nullptr; // cleared by GObject when the widget is finalised
    GtkWidget* m_box = nullptr;
    double m_alpha = 1.0;
    bool m_pressed = false;
    bool m_disabled = false;
    bool m_createdDisabled = false;
    int m_index = 0;
    bool m_hover = true;
    std::string m_shown;
};
