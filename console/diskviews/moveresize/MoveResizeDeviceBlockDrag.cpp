// The edit-partition side of the strip: the partition being edited, and drags of its
// middle and bars offered to the move/resize manager.
#include <algorithm>

#include "CMoveResizeDeviceBlock.h"
#include "ItemQuery.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"

namespace {
// Keeps the used rectangle and its closing line visible.
const int kMinimumMainWidth = 12;

bool IsLinuxPartitionType(unsigned int type)
{
    return type == 0x82 || type == 0x83 || type == 0x85 || type == 0x8E || type == 0x92 || type == 0x93;
}

// File systems whose partitions the strip never resizes.
bool IsForeignFileSystem(int fs)
{
    return fs == FILE_SYSTEM_FOREIGN4 || fs == FILE_SYSTEM_FOREIGN5 || fs >= FILE_SYSTEM_OTHER;
}
}  // namespace

void CMoveResizeDeviceBlock::ReadFileSystem(IManagerItem* item)
{
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    IFileSystemPartition* fs = QueryItem<IFileSystemPartition>(item);
    // Once a block shows a foreign kind it stays so: it is never resized.
    if (m_fileSystem != FILE_SYSTEM_FOREIGN4)
        m_fileSystem = fs != nullptr ? fs->GetFileSystemType() : FILE_SYSTEM_OTHER;
    if (m_fileSystem == FILE_SYSTEM_OTHER && entry != nullptr && IsLinuxPartitionType(entry->GetPartitionType()))
        m_fileSystem = FILE_SYSTEM_FOREIGN4;
    SetFileSystem(static_cast<enumFILE_SYSTEM_TYPE>(m_fileSystem));
}

void CMoveResizeDeviceBlock::ReadMinAndMaxSize()
{
    if (m_manager == nullptr)
        return;
    if (m_fileSystem == FILE_SYSTEM_NTFS)
        m_manager->GetNtfsMinAndMaxSize(m_smallest, m_largest);
    else if (m_fileSystem == FILE_SYSTEM_FAT16 || m_fileSystem == FILE_SYSTEM_FAT32)
        m_manager->GetFatMinAndMaxSize(m_smallest, m_largest);
}

void CMoveResizeDeviceBlock::InitMoveResizeDlg(IManagerItem* item)
{
    m_item = item;
    m_isPartition = true;
    m_liveUpdateOff = false;
    GetMMP();
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    if (entry == nullptr)
        return;
    m_active = true;
    InitPartitionBlock();
    ReadFileSystem(item);
    ReadMinAndMaxSize();
    m_activeFatCap = entry->IsActive() && (m_fileSystem == FILE_SYSTEM_FAT16 || m_fileSystem == FILE_SYSTEM_FAT32);
    m_size = m_param.dCurSize;
    IFileSystemPartitionExtendInfo* info = QueryItem<IFileSystemPartitionExtendInfo>(item);
    const double usedMB = info != nullptr ? info->GetUsedSectors() / 2048.0 : 0;
    // The used share: the smallest size the partition can take, never below its data.
    m_usedRatio = m_param.dCurSize > 0 ? std::min(1.0, std::max(m_smallest, usedMB) / m_param.dCurSize) : 1.0;
    m_driveText = "*:";
    gtk_widget_set_size_request(m_leftBar, kStripBarWidth, kStripHeight);
    gtk_widget_set_size_request(m_rightBar, kStripBarWidth, kStripHeight);
}

void CMoveResizeDeviceBlock::SetMoveReSizeDlgBlockSize(int)
{
    const MOVERESIZE_MANAGER_PARAM p = GetMMP();
    SetMainWindowBlockLength(p.dPreSize, p.dCurSize, p.dNextSize);
}

void CMoveResizeDeviceBlock::SetMainWindowBlockLength(double before, double size, double after)
{
    m_size = size;
    m_pixelSize = StripPixelSize(before, size, after);
    m_widths = StripWidthsFor(before, size, after, kMinimumMainWidth);
    ApplyWidths();
}

void CMoveResizeDeviceBlock::OnPress(GtkWidget* widget, int rootX)
{
    m_pressX = rootX;
    m_moved = false;
    m_dragMiddle = widget == m_main;
    m_dragLeftBar = widget == m_leftBar;
    m_dragRightBar = widget == m_rightBar;
    if (m_dragMiddle)
        gtk_widget_show(m_box);
    GetMMP();
}

bool CMoveResizeDeviceBlock::MiddleStepAccepted(int dx, const MOVERESIZE_MANAGER_PARAM& p)
{
    if (m_moveStop != 0 || !m_isPartition)
        return false;
    MiddleStep step;
    if (!MiddleDragStep(m_widths, dx, m_pixelSize, p.dPreSize + p.dCurSize + p.dNextSize, p.dCurSize, step))
        return false;
    const bool accepted = step.toRight ? m_manager->IfPrePartitionCanAdded(step.newBefore)
                                       : m_manager->IfPrePartitionCanReduced(step.newBefore);
    if (accepted)
        m_widths = step.widths;
    return accepted;
}

bool CMoveResizeDeviceBlock::BarStepAccepted(int dx, const MOVERESIZE_MANAGER_PARAM& p)
{
    if (m_endStop != 0 || m_improper != ImproperDiskKind::None || IsForeignFileSystem(m_fileSystem))
        return false;
    BarStep step;
    if (!BarDragStep(m_widths, m_dragRightBar, dx, m_pixelSize, p.dCurSize, m_smallest, kMinimumMainWidth, step))
        return false;
    // The loader of an active FAT partition reads no larger volume.
    if (step.grow && m_activeFatCap && step.newSize >= kActiveFatCapMB)
        return false;
    bool accepted;
    if (m_dragRightBar)
        accepted = step.grow ? m_manager->IfCurPartitionCanAdded(step.newSize, true, false)
                             : m_manager->IfCurPartitionCanReduced(step.newSize, true, true);
    else
        accepted = step.grow ? m_manager->IfCurPartitionCanAdded(step.newSize, true, true)
                             : m_manager->IfCurPartitionCanReduced(step.newSize, true, false);
    if (accepted)
        m_widths = step.widths;
    return accepted;
}

void CMoveResizeDeviceBlock::OnMotion(int rootX)
{
    if (!m_active || m_manager == nullptr)
        return;
    const int dx = rootX - m_pressX;
    const MOVERESIZE_MANAGER_PARAM p = GetMMP();
    bool accepted = false;
    if (m_dragMiddle)
        accepted = MiddleStepAccepted(dx, p);
    else if (m_dragLeftBar || m_dragRightBar)
        accepted = BarStepAccepted(dx, p);
    if (!accepted)
        return;
    m_moved = true;
    m_pressX = rootX;
    m_size = GetMMP().dCurSize;
    if (!m_liveUpdateOff)
        m_manager->UpdateUi(false, true);
    ApplyWidths();
}

void CMoveResizeDeviceBlock::OnRelease(unsigned button)
{
    if (m_manager != nullptr && (m_dragLeftBar || m_dragRightBar) && m_moved) {
        GetMMP();
        m_manager->UpdateUi(true, false);
        if (m_manager->IfNeedCorrectPartitionSize())
            m_manager->UpdateUiWithCorrectedValue();
    } else if (m_manager != nullptr && m_dragMiddle && button != 3 && m_moved && m_liveUpdateOff) {
        m_manager->UpdateUi(true, false);
    }
    m_dragMiddle = m_dragLeftBar = m_dragRightBar = false;
}
