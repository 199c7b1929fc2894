#include "CImagePanel.h"

#include <cstdlib>

#include "ITasque.h"
#include "ImageRowPlan.h"

CImagePanel::CImagePanel()
{
    m_box = gtk_vbox_new(FALSE, 0);
    g_object_ref_sink(m_box);
}

CImagePanel::~CImagePanel()
{
    m_rows.clear();
    g_object_unref(m_box);
}

int CImagePanel::InitImagePanel(ITasque* command, const char* path, _KS_VERSION* version, int, int width)
{
    m_rows.clear();
    m_volumes.clear();
    if (command == nullptr || path == nullptr)
        return 0;
    // At most kPathChars characters go into the buffer, which keeps room for the end.
    wchar_t widePath[kPathChars + 1] = {};
    if (std::mbstowcs(widePath, path, kPathChars) == static_cast<size_t>(-1))
        return 0;
    widePath[kPathChars] = L'\0';
    command->RestoreSetImgInfo(version, widePath);
    unsigned long count = 0;
    command->RestoreGetImgVolumes(nullptr, 0, &count, version);
    if (count < 1)
        return 0;
    m_volumes.resize(count);
    if (command->RestoreGetImgVolumes(m_volumes.data(), count, &count, version) != 0)
        count = 0;
    m_volumes.resize(std::min<size_t>(count, m_volumes.size()));
    if (m_volumes.empty())
        return 0;
    const int records = static_cast<int>(m_volumes.size());
    for (int disk : ImageRowDisks(m_volumes.data(), records)) {
        std::unique_ptr<COneDiskPanel> row(new COneDiskPanel);
        row->InitOneImagePanel(command, m_volumes.data(), records, disk, width);
        gtk_box_pack_start(GTK_BOX(m_box), row->GetOneDiskPanel(), FALSE, TRUE, 0);
        m_rows.push_back(std::move(row));
    }
    gtk_widget_show_all(m_box);
    return 1;
}
