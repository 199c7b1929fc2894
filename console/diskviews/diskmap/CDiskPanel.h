// A panel holding one disk map row, live or planned, between two side margins.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <vector>

#include "COneDiskPanel.h"

class CDiskPanel {
public:
    CDiskPanel();
    ~CDiskPanel();
    CDiskPanel(const CDiskPanel&) = delete;
    CDiskPanel& operator=(const CDiskPanel&) = delete;

    // total: the panel's width; the row gets total - 2 x margin - 8.
    void InitOneDiskPanel(unsigned long long disk, int margin, int total);
    void InitOneVisualDiskPanel(unsigned long long disk, std::vector<TagRSPartitionInfo>& parts, int margin, int total,
                                int minGap, int checkDisk);
    GtkWidget* GetDiskPanel() const { return m_outer; }
    int InitAllDiskPanel(int) { return 1; }
    void PanelInit() {}
    const COneDiskPanel* Row() const { return m_row.get(); }

private:
    void Rebuild();
    void PackRow(int margin);

    GtkWidget* m_outer = nullptr;
    GtkWidget* m_inner = nullptr;
    std::unique_ptr<COneDiskPanel> m_row;
};
