// The disks stored in one version of an image set: one disk map row per disk number the
// version's volumes carry, in ascending order.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <vector>

#include "COneDiskPanel.h"
#include "KSImageFormat.h"
#include "KSVolume.h"

class ITasque;

class CImagePanel {
public:
    CImagePanel();
    ~CImagePanel();
    CImagePanel(const CImagePanel&) = delete;
    CImagePanel& operator=(const CImagePanel&) = delete;

    // 1 when rows were made; 0 when the version holds no volume (the panel stays empty).
    int InitImagePanel(ITasque* command, const char* path, _KS_VERSION* version, int, int width);
    GtkWidget* GetImagePanel() const { return m_box; }
    const std::vector<std::unique_ptr<COneDiskPanel>>& Rows() const { return m_rows; }

    // Characters of an image path the panel hands on; longer paths are cut.
    static constexpr size_t kPathChars = 260;

private:
    GtkWidget* m_box = nullptr;
    std::vector<_KS_VOLUME> m_volumes;
    std::vector<std::unique_ptr<COneDiskPanel>> m_rows;
};
