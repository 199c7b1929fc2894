// The bar of a disk map row: one CDeviceBlock per partition of a live disk, per volume
// of an image disk, or per planned partition and free stretch of a planned layout.
// The bar owns its blocks and the command object a fill makes for them; both go with it.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <vector>

#include "BlockWidthRule.h"
#include "CDeviceBlock.h"
#include "KSVolume.h"
#include "MapBlock.h"
#include "layout/TagRSPartitionInfo.h"

class ITasque;

class CPanelBady {
public:
    CPanelBady();
    ~CPanelBady();
    CPanelBady(const CPanelBady&) = delete;
    CPanelBady& operator=(const CPanelBady&) = delete;

    void InitDiskPanelBady(unsigned long long disk, int width);
    void InitImagePanelBady(ITasque* command, _KS_VOLUME* records, int count, int disk, int width);
    void InitVisualDiskPanelBady(unsigned long long disk, std::vector<TagRSPartitionInfo>& parts, int width,
                                 int minGap, int checkDisk);
    // The width rule of the row being filled.
    int CalculateBlockSize(long long sectors, bool last);
    GtkWidget* GetPanelBady() const { return m_bar; }
    void EnumVisualDiskPanelItem(TagRSPartitionInfo&, int) {}
    const std::vector<std::unique_ptr<CDeviceBlock>>& Blocks() const { return m_blocks; }

private:
    void Clear();
    void AddBlocks(ITasque* command, const MapRow& row, int disk, int checkDisk, bool expand);

    GtkWidget* m_bar = nullptr;
    std::unique_ptr<BlockWidthRule> m_rule;
    std::vector<std::unique_ptr<CDeviceBlock>> m_blocks;
    ITasque* m_ownCommand = nullptr;  // made by a live or planned fill
};
