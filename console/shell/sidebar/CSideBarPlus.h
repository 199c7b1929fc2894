// The column at the left of the main window: an operations panel of seven picture
// rows and a help panel of one, on the panel green with a dark strip at the right.
// A click or Enter on a live row starts its operation through the shared launcher,
// or opens the help viewer (SideBarRows says which).
#pragma once

#include "CFunPanel.h"
#include "SchemeInfo.h"
#include "SideBarRows.h"

#include <gtk/gtk.h>

#include <memory>
#include <vector>

class CSideBarPlus {
public:
    CSideBarPlus();
    ~CSideBarPlus();
    CSideBarPlus(const CSideBarPlus&) = delete;
    CSideBarPlus& operator=(const CSideBarPlus&) = delete;

    operator GtkWidget*() const { return m_eventBox; }
    GtkWidget* GetWidget() const { return m_eventBox; }
    void SetParent(GtkWidget* parent) { m_parent = parent; }
    // Partition schemes do not change the side bar.
    void SetPartitionSchemeName(tagSCHEME_INFO info);

    CFunPanel& OperationsPanel() { return m_operations; }
    CFunPanel& HelpPanel() { return m_help; }

    static constexpr int kStripWidth = 5;

private:
    struct RowBinding {
        CSideBarPlus* bar;
        int row; // operations row, or -1 for the help row
    };

    void Start(RowStart start);

    static gboolean OnOperationRowPress(GtkWidget*, GdkEventButton* event, gpointer binding);
    static gboolean OnOperationRowKey(GtkWidget*, GdkEventKey* event, gpointer binding);
    static gboolean OnHelpRowRelease(GtkWidget*, GdkEventButton* event, gpointer binding);
    static gboolean OnHelpRowKey(GtkWidget*, GdkEventKey* event, gpointer binding);

    GtkWidget* m_eventBox = nullptr; // cleared by GObject when the widget is finalised
    GtkWidget* m_hbox = nullptr;
    GtkWidget* m_strip = nullptr;
    CFunPanel m_operations;
    CFunPanel m_help;
    GtkWidget* m_parent = nullptr;
    std::vector<std::unique_ptr<RowBinding>> m_bindings;
};
