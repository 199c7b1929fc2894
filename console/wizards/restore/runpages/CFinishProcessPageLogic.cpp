#include "CFinishProcessPageLogic.h"

#include "CRestoreRunPreparer.h"
#include "ITasque.h"
#include "IWizard.h"
#include "RestoreDisplayTexts.h"
#include "TagRestoreInfo.h"

namespace {

RestoreRunRequest RequestOf(const TagRestoreInfo& info)
{
    RestoreRunRequest r;
    r.tasque = info.pTasque;
    r.diskRestore = info.bDiskRestore != 0;
    r.mbrOnly = info.bMbrOnly != 0;
    r.targetDisk = info.nTargetDisk;
    r.sourceDisk = info.nSourceDisk;
    r.makeActive = info.bMakeActive != 0;
    r.makePrimary = info.bMakePrimary != 0;
    r.sectorBySector = info.bSectorBySector != 0;
    r.volumes = info.volumes;
    r.targetPartition = info.targetPartition;
    r.newPartitionStart = info.llNewPartitionStart;
    r.newPartitionSectors = info.llNewPartitionSectors;
    r.newParams = info.newPartition;
    r.targetItem = info.pTargetItem;
    r.relayout = info.bRelayout != 0;
    r.plan = info.plannedLayout;
    return r;
}

// The disk number as the lists show it: partition restores keep a 0-based index.
std::string ShownDisk(const TagRestoreInfo& info)
{
    const bool partition = info.bDiskRestore == 0 && info.bMbrOnly == 0;
    return std::to_string(partition ? info.nTargetDisk + 1 : info.nTargetDisk);
}

RestoredPartitionLines EntryLines(const TagRestoreInfo& info, size_t i)
{
    const TagRSPartitionInfo& e = info.plannedLayout[i];
    RestoredPartitionLines lines;
    lines.disk = ShownDisk(info);
    lines.driveLetter = '*';
    if (i < info.volumes.size() && info.volumes[i] != nullptr)
        lines.label = RestoreDisplayTexts::VolumeLabel(*info.volumes[i]);
    lines.fileSystem = RestoreDisplayTexts::FileSystemName(e.addParam.FileSystem, int(e.u32PartitionType));
    lines.size = RestoreDisplayTexts::SizeOfSectors(e.addParam.LastSector - e.addParam.FirstSector);
    return lines;
}

} // namespace

CFinishProcessPageLogic::CFinishProcessPageLogic(IWizard* wizard, IFinishProcessView& view,
                                                 IRestoreDiskTables& tables,
                                                 std::function<std::string(uint32_t)> messageText,
                                                 unsigned handshakeStepMs)
    : wizard_(wizard), view_(view), tables_(tables), messageText_(std::move(messageText)),
      handshake_(DiscChangeCodes{kDiscChangeCancelled, kMessageNotHandled}, handshakeStepMs)
{
}

SummaryText CFinishProcessPageLogic::ItemDetails(int index) const
{
    const TagRestoreInfo& info = *wizard_->GetParam();
    if (index <= 0 || static_cast<size_t>(index) >= info.plannedLayout.size())
        return SummaryText();
    return RestoreSummaryTexts::DiskEntryDetails(EntryLines(info, static_cast<size_t>(index)));
}

bool CFinishProcessPageLogic::InitPage()
{
    wizard_->SetBtnNextText("_Finish");
    wizard_->EnableNextBtn(0);
    wizard_->EnableBackBtn(0);
    wizard_->ShowHelpBtn(0);
    TagRestoreInfo& info = *wizard_->GetParam();
    if (info.pTargetItem == nullptr)
        return false;
    monitor_.reset(new CRestoreRunMonitor(actions_, info.bDiskRestore != 0, messageText_));

    const std::string image = RestoreDisplayTexts::ImagePath(info.szImagePath);
    view_.ClearSummary();
    if (info.bDiskRestore != 0) {
        view_.AppendSummary(RestoreSummaryTexts::RunningDisk(image, ShownDisk(info)));
        if (!info.plannedLayout.empty())
            view_.AppendSummary(RestoreSummaryTexts::DiskEntryDetails(EntryLines(info, 0)));
    } else if (info.bMbrOnly != 0) {
        view_.AppendSummary(RestoreSummaryTexts::RunningBootRecord(image, ShownDisk(info)));
    } else if (const _KS_VOLUME* v = info.FirstVolume()) {
        RestoredPartitionLines lines;
        lines.disk = ShownDisk(info);
        lines.driveLetter = info.newPartition.DriveLetter;
        lines.fileSystem = RestoreDisplayTexts::FileSystemName(info.newPartition.FileSystem, v->PartitionType);
        lines.label = RestoreDisplayTexts::VolumeLabel(*v);
        lines.size = RestoreDisplayTexts::SizeOfSectors(info.targetPartition.SectorCount);
        view_.AppendSummary(RestoreSummaryTexts::RunningPartition(image, lines));
    }

    CRestoreRunPreparer preparer(tables_, &CDiscChangeHandshake::Callback, &handshake_);
    const RestoreRunOutcome outcome = preparer.Prepare(RequestOf(info));
    if (!outcome.ready) {
        // Nothing was started and the disk is as it was: the failed step is shown and
        // the wizard can only be closed.
        const std::string text = !outcome.failedText.empty() ? outcome.failedText
                                 : messageText_                ? messageText_(outcome.failedCode)
                                                               : std::string();
        view_.ShowResult("Error", 3, text);
        monitor_->EndWithoutRun();
        return false;
    }
    if (outcome.newTargetItem != nullptr)
        info.pTargetItem = outcome.newTargetItem;
    info.bRunStarted = 1;
    info.pTasque->RestoreExecute();
    return true;
}

bool CFinishProcessPageLogic::Poll()
{
    if (monitor_ == nullptr)
        return false;
    KSProgressInfoT<wchar_t> progress{};
    wizard_->GetParam()->pTasque->RestoreGetProgress(&progress);
    return monitor_->OnProgress(progress);
}

bool CFinishProcessPageLogic::OnQuitClicked()
{
    if (monitor_ == nullptr) {
        wizard_->DestoryDlg();
        return false;
    }
    return monitor_->OnQuit();
}

void CFinishProcessPageLogic::OnCancelAnswer(bool yes)
{
    if (monitor_ != nullptr)
        monitor_->OnCancelAnswer(yes);
}

void CFinishProcessPageLogic::RunActions::UpdateProInfo(const std::string& t, double tf, const std::string& i,
                                                        double itf)
{
    page_.view_.UpdateProInfo(t, tf, i, itf);
}

void CFinishProcessPageLogic::RunActions::ShowItemDetails(int index)
{
    const SummaryText details = page_.ItemDetails(index);
    if (!details.empty())
        page_.view_.AppendSummary(details);
}

void CFinishProcessPageLogic::RunActions::EnableCancel(bool enable)
{
    page_.view_.EnableCancel(enable);
}

void CFinishProcessPageLogic::RunActions::EnableNext(bool enable)
{
    page_.view_.EnableNext(enable);
}

void CFinishProcessPageLogic::RunActions::CloseCancelQuestion()
{
    page_.view_.CloseCancelQuestion();
}

void CFinishProcessPageLogic::RunActions::ShowResult(const std::string& title, int icon, const std::string& text)
{
    page_.view_.ShowResult(title, icon, text);
}

void CFinishProcessPageLogic::RunActions::RunCleanup()
{
    page_.view_.RunCleanup();
}

void CFinishProcessPageLogic::RunActions::CloseWizard()
{
    page_.wizard_->DestoryDlg();
}

void CFinishProcessPageLogic::RunActions::TellEngineCancel()
{
    if (ITasque* tasque = page_.wizard_->GetParam()->pTasque)
        tasque->RestoreUserCancel();
}

void CFinishProcessPageLogic::RunActions::AnswerDiscRequestCancel()
{
    page_.handshake_.CancelWaiting();
}
