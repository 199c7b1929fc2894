// The console's progress bar: GTK holds the fraction and the text, and the console
// draws all of it as a row of block pictures with the text centred over them.
#pragma once

#include <gtk/gtk.h>

class CProgressBar {
public:
    CProgressBar();
    ~CProgressBar();
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    GtkWidget* GetWidget() const { return m_progress; }
    // Held clamped to [0, 1]; a value that is not a number counts as 0.
    void SetPos(double fraction);
    double GetPos() const;
    void SetText(const char* text);
    // Owned by GTK; null when no text was set.
    const char* GetText() const;

private:
    static gboolean ExposeEvent(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static void DrawBg(GtkWidget* widget);

    GtkWidget* m_progress = nullptr; // cleared by GObject when the widget is finalised
};
