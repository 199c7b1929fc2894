#include "CPanelBady.h"

#include <cstring>

#include "CCloneDataBase.h"
#include "ICensa.h"
#include "ITasque.h"
#include "ImageRowPlan.h"
#include "LiveRowPlan.h"
#include "PlannedRowPlan.h"

CPanelBady::CPanelBady()
{
    m_bar = gtk_hbox_new(FALSE, 0);
    g_object_ref_sink(m_bar);
}

CPanelBady::~CPanelBady()
{
    Clear();
    g_object_unref(m_bar);
}

void CPanelBady::Clear()
{
    for (const std::unique_ptr<CDeviceBlock>& block : m_blocks)
        if (gtk_widget_get_parent(block->GetDevBlock()) == m_bar) // not when the bar is destroyed already
            gtk_container_remove(GTK_CONTAINER(m_bar), block->GetDevBlock());
    m_blocks.clear();
    // Each command object carries a whole set of engines: one per fill, gone with it.
    if (m_ownCommand != nullptr) {
        m_ownCommand->Release();
        m_ownCommand = nullptr;
    }
}

int CPanelBady::CalculateBlockSize(long long sectors, bool last)
{
    if (m_rule == nullptr)
        return 0;
    return m_rule->Next(sectors, last);
}

void CPanelBady::AddBlocks(ITasque* command, const MapRow& row, int disk, int checkDisk, bool expand)
{
    for (const MapBlock& planned : row) {
        std::unique_ptr<CDeviceBlock> block(new CDeviceBlock(command, planned.width, planned.record, disk, checkDisk));
        block->SetBlockLength(planned.width);
        gtk_box_pack_start(GTK_BOX(m_bar), block->GetDevBlock(), expand, TRUE, 0);
        m_blocks.push_back(std::move(block));
    }
}

void CPanelBady::InitDiskPanelBady(unsigned long long disk, int width)
{
    Clear();
    ICensa* censa = CreateCensaObj();
    _KS_DISK_INFO info;
    std::memset(&info, 0, sizeof(info));
    unsigned long long count = 0;
    std::vector<__PARTITION_INFO_CMD> records;
    if (censa != nullptr) {
        censa->GetDiskInfo(disk, &info);
        if (censa->GetPartitionCount(disk, &count) != 0)
            count = 0;
        for (unsigned long long p = 0; p < count; ++p) {
            __PARTITION_INFO_CMD record;
            std::memset(&record, 0, sizeof(record));
            if (censa->GetPartitionInfo(disk, p, &record, nullptr) != 0)
                break;
            records.push_back(record);
        }
    }
    // A disk whose table lists nothing (a GPT disk, for one) is still one block: the
    // disk test then names it after its kind.
    if (records.empty() && info.TotalSectors > 0)
        records.push_back(FreeSpaceRecord(0, info.TotalSectors));
    m_rule.reset(new BlockWidthRule(width, records.size(), LiveRowSectors(info.TotalSectors, records)));
    if (records.empty())
        return;
    m_ownCommand = CreateTasqueObj();
    AddBlocks(m_ownCommand, PlanLiveRow(info.TotalSectors, records, width), static_cast<int>(disk), 1, FALSE);
}

void CPanelBady::InitImagePanelBady(ITasque* command, _KS_VOLUME* records, int count, int disk, int width)
{
    Clear();
    const MapRow row = PlanImageRow(records, count, disk, width);
    m_rule.reset(new BlockWidthRule(width, row.size(), ImageRowSectors(records, count, disk)));
    AddBlocks(command, row, disk, 0, TRUE);
}

void CPanelBady::InitVisualDiskPanelBady(unsigned long long disk, std::vector<TagRSPartitionInfo>& parts, int width,
                                         int minGap, int checkDisk)
{
    Clear();
    _KS_DISK_INFO target;
    std::memset(&target, 0, sizeof(target));
    if (ICensa* censa = CreateCensaObj())
        censa->GetDiskInfo(static_cast<unsigned long long>(CCloneDataBase::Instance()->GetCloneTargetDisk()), &target);
    m_rule.reset(new BlockWidthRule(width, CountPlannedBlocks(parts, target.TotalSectors, minGap), target.TotalSectors));
    m_ownCommand = CreateTasqueObj();
    AddBlocks(m_ownCommand, PlanPlannedRow(parts, target.TotalSectors, width, minGap), static_cast<int>(disk),
              checkDisk, TRUE);
}
