// The read-only summary text of the summary and progress pages: a text view in a
// scrolled window, "Monospace 7", with the "bold" and "big" tags, where single and
// triple clicks are swallowed and double clicks reach the view.
#pragma once

#include <memory>

#include <gtk/gtk.h>

#include "RestoreSummaryTexts.h"

class CScrollBar;

class CSummaryTextView {
public:
    CSummaryTextView();
    ~CSummaryTextView();

    GtkWidget* GetWidget() const;
    GtkWidget* GetTextView() const { return m_view; }
    void Clear();
    void Append(const SummaryText& text);
    void ScrollToEnd();
    std::string Text() const;

    static gboolean HideMouseOperation(GtkWidget* widget, GdkEventButton* event, gpointer self);

private:
    std::unique_ptr<CScrollBar> m_scroll;
    GtkWidget* m_view = nullptr;
    GtkTextBuffer* m_buffer = nullptr;
};
