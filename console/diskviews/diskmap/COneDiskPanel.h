// One row of the disk map, top to bottom: a 5-px space, the header, a 5-px outline
// strip and the bar of blocks.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <vector>

#include "CPanelBady.h"
#include "CPanelHeader.h"

class COneDiskPanel {
public:
    COneDiskPanel() = default;
    ~COneDiskPanel();
    COneDiskPanel(const COneDiskPanel&) = delete;
    COneDiskPanel& operator=(const COneDiskPanel&) = delete;

    void InitOneDiskPanel(unsigned long long disk, int width);
    // The header shows the image disk's own size: the sum its volumes share out.
    void InitOneImagePanel(ITasque* command, _KS_VOLUME* records, int count, int disk, int width);
    void InitOneVisualDiskPanel(unsigned long long disk, std::vector<TagRSPartitionInfo>& parts, int width,
                                int minGap, int checkDisk);
    GtkWidget* GetOneDiskPanel() const { return m_box; }
    const CPanelHeader* Header() const { return m_header.get(); }
    const CPanelBady* Bady() const { return m_bady.get(); }

private:
    void Assemble(bool fillBar);
    static gboolean on_draw_dev_box(GtkWidget* widget, GdkEventExpose* event, gpointer);

    GtkWidget* m_box = nullptr;
    std::unique_ptr<CPanelBady> m_bady;
    std::unique_ptr<CPanelHeader> m_header;
};
