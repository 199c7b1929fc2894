#include "CTargetDiskPageLogic.h"

#include "DiscMountPath.h"
#include "ITasque.h"
#include "IWizard.h"
#include "ItemQuery.h"
#include "MessageBoxContents.h"
#include "PartitionRules.h"
#include "RecoveryEnv.h"
#include "RestorePagePosition.h"
#include "TagRestoreInfo.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionManager.h"

CTargetDiskPageLogic::CTargetDiskPageLogic(IWizard* wizard, PageMessage message)
    : wizard_(wizard), message_(std::move(message))
{
}

int CTargetDiskPageLogic::DiskCount()
{
    unsigned long long count = 0;
    ITasque* tasque = wizard_->GetParam()->pTasque;
    if (tasque == nullptr || tasque->EnumGetDiskCount(&count) != 0)
        return 0;
    return static_cast<int>(count);
}

_KS_DISK_INFO CTargetDiskPageLogic::DiskRecord(int index)
{
    _KS_DISK_INFO record{};
    if (ITasque* tasque = wizard_->GetParam()->pTasque)
        tasque->EnumGetDiskInfo(static_cast<unsigned long long>(index), &record);
    return record;
}

bool CTargetDiskPageLogic::DiskPresent(int index)
{
    _KS_DISK_INFO record{};
    ITasque* tasque = wizard_->GetParam()->pTasque;
    return tasque != nullptr && tasque->EnumGetDiskInfo(static_cast<unsigned long long>(index), &record) == 0;
}

TargetDiskFacts CTargetDiskPageLogic::ReadDisk(int index)
{
    TargetDiskFacts facts;
    TagRestoreInfo* info = wizard_->GetParam();
    facts.record = DiskRecord(index);
    facts.offline = IsOfflineDisk(index, info->pTasque);
    IManagerItem* disk = nullptr;
    if (info->pTasque != nullptr && info->pTasque->GetDiskItem(static_cast<uint8_t>(index), &disk) == 0) {
        if (auto* manager = QueryItem<IPartitionManager>(disk)) {
            if (IIterator* it = manager->CreateIterator()) {
                while (IManagerItem* item = it->Next()) {
                    auto* entry = QueryItem<IPartitionEntry>(item);
                    if (entry != nullptr && entry->GetPartitionType() != 0)
                        facts.hasUsedPartition = true;
                }
                it->Release();
            }
        }
    }
    int imageDisk = -1;
    if (GetSelfPartition(info->szImagePath, imageDisk) != nullptr)
        facts.imageDiskIndex = imageDisk;
    return facts;
}

TargetDiskRequest CTargetDiskPageLogic::Request() const
{
    const TagRestoreInfo* info = wizard_->GetParam();
    TargetDiskRequest r;
    r.diskRestore = info->bDiskRestore != 0;
    r.mbrOnly = info->bMbrOnly != 0;
    r.imageOnCdromPath = IsCdromImagePath(info->szImagePath);
    r.imageOnDiscMount = IsOnDiscMount(info->szImagePath);
    return r;
}

CTargetDiskPlanner CTargetDiskPageLogic::Planner() const
{
    std::vector<const _KS_VOLUME*> volumes(wizard_->GetParam()->volumes.begin(), wizard_->GetParam()->volumes.end());
    return CTargetDiskPlanner(volumes);
}

int CTargetDiskPageLogic::InitPage()
{
    TagRestoreInfo* info = wizard_->GetParam();
    if (info->nLastPage == RESTORE_PAGE_DRIVE_LETTER) {
        // A partition restore passes this page by.
        info->nLastPage = RESTORE_PAGE_TARGET_DISK;
        wizard_->OnNext();
        return -1;
    }
    if (info->nLastPage == RESTORE_PAGE_IMAGE_PARTITION) {
        wizard_->SetBtnNextText("_Next");
        // The first disk that is there; a missing one is never chosen.
        const int count = DiskCount();
        int first = 0;
        while (first < count && !DiskPresent(first))
            ++first;
        if (count > 0 && first == count)
            first = -1;
        RowChanged(first);
        return first;
    }
    wizard_->EnableNextBtn(1);
    wizard_->SetBtnNextText("_Next");
    return -2; // keep the row as it is
}

void CTargetDiskPageLogic::RowChanged(int diskIndex)
{
    selected_ = 0;
    if (diskIndex < 0) {
        wizard_->EnableNextBtn(0);
        return;
    }
    selected_ = diskIndex;
    const TargetDiskVerdict verdict = CTargetDiskChoice::Judge(Planner(), diskIndex, ReadDisk(diskIndex), Request());
    wizard_->GetParam()->bTargetDiskEmpty = verdict.diskEmpty ? 1 : 0;
    wizard_->EnableNextBtn(verdict.nextEnabled ? 1 : 0);
}

int CTargetDiskPageLogic::UpDate(int selectedDisk)
{
    TagRestoreInfo* info = wizard_->GetParam();
    info->nLastPage = RESTORE_PAGE_TARGET_DISK;
    wizard_->SetBtnNextText("_Proceed");
    if (selectedDisk >= 0)
        info->nTargetDisk = static_cast<uint32_t>(selectedDisk + 1);
    return 0;
}

bool CTargetDiskPageLogic::EditDiskRelayout()
{
    TagRestoreInfo* info = wizard_->GetParam();
    IManagerItem* disk = nullptr;
    if (info->pTasque == nullptr ||
        info->pTasque->GetDiskItem(static_cast<uint8_t>(info->nTargetDisk - 1), &disk) != 0 || disk == nullptr)
        return false;
    info->pTargetItem = disk;
    auto* geometry = QueryItem<IDiskGeometry>(disk);
    auto* entry = QueryItem<IDiskEntry>(disk);
    if (geometry == nullptr || entry == nullptr)
        return false;
    TargetDiskShape shape;
    shape.tracksPerCylinder = geometry->GetTracksPerCylinder();
    shape.sectorsPerTrack = geometry->GetSectorsPerTrack();
    shape.totalSectors = entry->GetTotalSectors();
    const CTargetDiskPlanner planner = Planner();
    bool relaid = false;
    std::vector<TagRSPartitionInfo> plan = planner.Plan(shape, relaid);
    if (planner.CheckPlan(plan, shape) != CTargetDiskPlanner::kPlanOk)
        return false;
    info->bRelayout = relaid ? 1 : 0;
    info->plannedLayout = std::move(plan);
    return true;
}

bool CTargetDiskPageLogic::OnNextClicked(int selectedDisk)
{
    if (UpDate(selectedDisk) != 0)
        return false;
    TagRestoreInfo* info = wizard_->GetParam();
    if (info->bDiskRestore != 0) {
        if (!EditDiskRelayout()) {
            // A plan that cannot hold the data is never carried out.
            if (message_)
                message_("Warning", GTK_MB_ICON_WARNING, GTK_MB_OK, kTooSmall);
            wizard_->EnableNextBtn(0);
            wizard_->SetBtnNextText("_Next");
            return false;
        }
    } else {
        IManagerItem* disk = nullptr;
        if (info->pTasque != nullptr && info->pTasque->GetDiskItem(static_cast<uint8_t>(selected_), &disk) == 0)
            info->pTargetItem = disk;
    }
    wizard_->OnNext();
    return true;
}
