#include "CDisplayInfoPageLogic.h"

#include "IWizard.h"
#include "MessageBoxContents.h"
#include "RestoreDisplayTexts.h"
#include "RestorePagePosition.h"
#include "TagRestoreInfo.h"

CDisplayInfoPageLogic::CDisplayInfoPageLogic(IWizard* wizard, PageMessage message)
    : wizard_(wizard), message_(std::move(message))
{
}

SummaryText CDisplayInfoPageLogic::InitPage()
{
    const TagRestoreInfo* info = wizard_->GetParam();
    SummaryText text;
    const std::string image = RestoreDisplayTexts::ImagePath(info->szImagePath);
    if (!info->volumes.empty() && info->volumes.back() != nullptr) {
        const _KS_VOLUME& v = *info->volumes.front();
        const AddPartitionParam& p = info->newPartition;
        RestoredPartitionLines lines;
        lines.disk = std::to_string(info->nTargetDisk + 1);
        lines.driveLetter = p.DriveLetter;
        lines.fileSystem = RestoreDisplayTexts::FileSystemName(p.FileSystem, v.PartitionType);
        lines.label = RestoreDisplayTexts::VolumeLabel(v);
        lines.size = RestoreDisplayTexts::SizeOfSectors(p.LastSector - p.FirstSector + 1);
        text = RestoreSummaryTexts::PlannedPartition(image, lines);
    } else {
        text = RestoreSummaryTexts::PlannedDisk(image, info->nTargetDisk);
    }
    wizard_->SetBtnNextText("_Proceed");
    wizard_->EnableNextBtn(1);
    return text;
}

bool CDisplayInfoPageLogic::OnNextClicked()
{
    const TagRestoreInfo* info = wizard_->GetParam();
    if (info->bDiskRestore != 0 && info->bTargetDiskEmpty == 0) {
        if (!message_ || message_("Warning", GTK_MB_ICON_WARNING, GTK_MB_YESNO, kDeleteAll) != 0)
            return false;
    }
    wizard_->OnNext();
    return true;
}

void CDisplayInfoPageLogic::OnBackClicked()
{
    const TagRestoreInfo* info = wizard_->GetParam();
    const bool partition = !info->volumes.empty() && info->volumes.back() != nullptr;
    wizard_->SetCurrentPage(partition ? RESTORE_PAGE_DRIVE_LETTER : RESTORE_PAGE_TARGET_DISK);
}
