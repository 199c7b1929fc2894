#include "CImagePartitionLogic.h"

#include "IWizard.h"
#include "RestorePagePosition.h"
#include "TagRestoreInfo.h"

bool CImagePartitionLogic::NearlyFull(const _KS_VOLUME& v)
{
    const uint64_t used = v.UsedSectors;
    return used + used / 50 > uint64_t(v.TotalSectors);
}

void CImagePartitionLogic::InitPage(const std::vector<const _KS_VOLUME*>& checked)
{
    wizard_.EnableNextBtn(0);
    box_ = SectorBoxState{};
    lastRows_ = 0;
    wizard_.GetParam()->SetVolumes(checked);
}

void CImagePartitionLogic::RowChanged(const std::vector<const _KS_VOLUME*>& checked, int rows)
{
    lastRows_ = rows;
    wizard_.GetParam()->SetVolumes(checked);
    const size_t n = checked.size();
    if (n == 0) {
        box_.sensitive = true;
        wizard_.EnableNextBtn(0);
        return;
    }
    const bool lastIsDisk = checked.back() == nullptr;
    if (lastIsDisk) {
        // A whole disk, or the disk's first track only: never sector by sector.
        box_ = SectorBoxState{false, false};
    } else if (n == 1) {
        const _KS_VOLUME& v = *checked.front();
        const bool forced = (v.Flags & KS_VOLFLAG_NO_FS_READER) != 0 ||
                            ((v.Flags & KS_VOLFLAG_ALL_SECTORS) != 0 && NearlyFull(v));
        box_ = forced ? SectorBoxState{true, false} : SectorBoxState{false, true};
    }
    wizard_.EnableNextBtn(1);
}

int CImagePartitionLogic::UpDate(const std::vector<const _KS_VOLUME*>& checked, int sourceDisk)
{
    TagRestoreInfo* info = wizard_.GetParam();
    info->SetVolumes(checked);
    info->nSourceDisk = static_cast<uint32_t>(sourceDisk);
    return 0;
}

void CImagePartitionLogic::OnNextClicked(const std::vector<const _KS_VOLUME*>& checked, int sourceDisk)
{
    if (UpDate(checked, sourceDisk) != 0)
        return;
    TagRestoreInfo* info = wizard_.GetParam();
    info->bSectorBySector = box_.ticked ? 1 : 0;
    info->bDiskRestore = 0;
    info->bMbrOnly = 0;
    info->nLastPage = RESTORE_PAGE_IMAGE_PARTITION;
    const size_t n = checked.size();
    if (n == 0 || (n > 1 && size_t(lastRows_) > n))
        return;
    const bool lastIsDisk = checked.back() == nullptr;
    if (lastIsDisk && n > 1)
        info->bDiskRestore = 1;
    if (lastIsDisk && n == 1)
        info->bMbrOnly = 1;
    if (lastIsDisk)
        wizard_.SetCurrentPage(RESTORE_PAGE_TARGET_DISK);
    else
        wizard_.OnNext();
}

void CImagePartitionLogic::OnBackClicked()
{
    wizard_.GetParam()->ClearVolumes();
    wizard_.EnableNextBtn(1);
    wizard_.OnBack();
}
