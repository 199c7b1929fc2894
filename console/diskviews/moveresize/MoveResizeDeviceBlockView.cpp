// The disk-view side of the strip: one partition or one free stretch of a disk panel
// row, with its name, tooltip and widths from MB values.
#include <algorithm>
#include <cstring>
#include <vector>

#include "CMoveResizeDeviceBlock.h"
#include "ItemQuery.h"
#include "PartitionRules.h"
#include "StripDrawing.h"
#include "common/ICommonModule.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IVolumeEntryInfo.h"

void CMoveResizeDeviceBlock::SetFileSystem(enumFILE_SYSTEM_TYPE fileSystem)
{
    if (m_fileSystem != FILE_SYSTEM_FOREIGN4)
        m_fileSystem = fileSystem;
    const std::string name = StripFileSystemName(fileSystem);
    if (!name.empty())
        m_fileSystemName = name;  // 5 and 6 keep the name they had
}

std::string CMoveResizeDeviceBlock::CharacterConversion(const char* text)
{
    if (text == nullptr || *text == '\0')
        return std::string();
    ICommonModule* common = OpenModuleT<ICommonModule>("Common");
    if (common == nullptr)
        return std::string();
    const unsigned long bytes = static_cast<unsigned long>(std::strlen(text));
    // The module writes the display text's bytes into a buffer declared wide.
    const unsigned long outBytes = 2 * bytes + 2;
    std::vector<wchar_t> out(outBytes / sizeof(wchar_t) + 1, L'\0');
    common->MultiByteToWide(text, bytes, out.data(), outBytes);
    const char* shown = reinterpret_cast<const char*>(out.data());
    return std::string(shown, strnlen(shown, outBytes));
}

void CMoveResizeDeviceBlock::Init(IManagerItem* item)
{
    m_item = item;
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    if (entry == nullptr)
        return;
    m_size = static_cast<double>(entry->GetSectorCount() / 1024 / 2);
    if (entry->GetPartitionType() == 0) {
        m_isPartition = false;
        InitUnallocateBlock();
        IManagerItem* disk = item->GetParent();
        if (disk != nullptr)
            m_improper = ImproperKindOf(IsGPT(disk), IsDynamic(disk), IsBadDisk(disk));
        m_fileSystemName = kUnallocatedName;
        SetTooltip(UnallocatedTooltip(m_size));
        return;
    }
    m_isPartition = true;
    InitPartitionBlock();
    ReadFileSystem(item);
    if (m_fileSystem == FILE_SYSTEM_OTHER)
        m_label = "Unformatted";
    ReadMinAndMaxSize();
    m_activeFatCap = entry->IsActive() && (m_fileSystem == FILE_SYSTEM_FAT16 || m_fileSystem == FILE_SYSTEM_FAT32);
    IFileSystemPartitionExtendInfo* info = QueryItem<IFileSystemPartitionExtendInfo>(item);
    m_usedMB = info != nullptr ? info->GetUsedSectors() / 2048 : 0;
    m_usedRatio = m_size > 0 ? std::min(1.0, static_cast<double>(m_usedMB) / m_size) : 1.0;
    IFileSystemPartition* fs = QueryItem<IFileSystemPartition>(item);
    if (fs != nullptr && fs->GetVolumeLabel() != nullptr && *fs->GetVolumeLabel() != '\0')
        m_label = CharacterConversion(fs->GetVolumeLabel());
    IVolumeEntryInfo* volume = QueryItem<IVolumeEntryInfo>(item);
    m_driveText = DriveText(volume != nullptr ? volume->GetDriveLetter() : 0);
    SetTooltip(PartitionTooltip(m_fileSystemName, m_driveText, m_label, m_size, m_usedMB));
}

void CMoveResizeDeviceBlock::SetBlockLength(double before, double size, double after, double smallest)
{
    if (m_activeFatCap && size > kActiveFatCapMB)
        return;
    m_size = size;
    if (static_cast<long long>(smallest) != static_cast<long long>(m_smallestShown)) {
        m_smallestShown = smallest;
        m_usedRatio = size > 0 ? std::min(1.0, smallest / size) : 1.0;
        m_widths.leftFree = m_widths.rightFree = 0;
        ApplyWidths(1);
    }
    // A block that has no scale yet takes the strip's: a zero scale is never divided by.
    if (!(m_pixelSize > 0))
        m_pixelSize = StripPixelSize(before, size, after);
    m_widths = DiskViewWidthsFor(before, size, after, m_pixelSize, m_panel != nullptr ? m_panelLength : 0);
    ApplyWidths(kDiskViewHeight);
}

void CMoveResizeDeviceBlock::SetLength(int width)
{
    if (m_isPartition && m_leftBar != nullptr) {
        gtk_widget_set_size_request(m_leftBar, 3, kDiskViewHeight);
        gtk_widget_set_size_request(m_rightBar, 3, kDiskViewHeight);
        m_widths.main = std::max(0, width - 8);
        m_widths.leftFree = m_widths.rightFree = 1;
    } else {
        m_widths.main = std::max(0, width);
        m_widths.leftFree = m_widths.rightFree = 0;
    }
    ApplyWidths(kDiskViewHeight);
}
