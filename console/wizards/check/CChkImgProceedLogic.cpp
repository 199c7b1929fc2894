#include "CChkImgProceedLogic.h"

#include "CChkImgDiscChange.h"
#include "CSelectVolumeLogic.h"
#include "ChkImgRunState.h"
#include "ChkImgTexts.h"
#include "EnvRoot.h"
#include "EnvScriptsInBackground.h"
#include "IChkImgWizard.h"
#include "IEnvCommandRunner.h"
#include "ITasque.h"
#include "KSProgressInfo.h"
#include "MessageBoxContents.h"
#include "WizardText.h"

CChkImgProceedLogic::CChkImgProceedLogic(IChkImgWizard& wizard, IChkImgProceedView& view, ChkImgRunState& run,
                                         CChkImgDiscChange& discChange,
                                         std::function<std::string(unsigned long)> messageText)
    : wizard_(wizard), view_(view), run_(run), discChange_(discChange), messageText_(std::move(messageText))
{
    if (!messageText_)
        messageText_ = &ChkImgMessageText;
}

bool CChkImgProceedLogic::InitPage()
{
    view_.SetText(ChkImgTexts::ProgressHeading());
    wizard_.EnableBackBtn(0);
    wizard_.EnableNextBtn(0);
    wizard_.SetBtnNextText("_Proceed");
    view_.HideHelp();
    return StartCheck();
}

bool CChkImgProceedLogic::StartCheck()
{
    run_.cancelFromCD = false;
    run_.lastShownIndex = -1;
    TagChkImgInfo& info = *wizard_.GetParam();
    ITasque* tasque = info.pTasque;
    if (tasque == nullptr)
        return false;
    tasque->CheckSetPromptCall(CChkImgDiscChange::Callback(), discChange_.Context());
    if (info.pVolumes != nullptr) {
        for (_KS_VOLUME* v : *info.pVolumes) {
            const unsigned long result = tasque->AddCheck(v);
            if (result != 0) {
                view_.ShowResult("Error", GTK_MB_ICON_ERROR, FailureText(messageText_(result), result));
                wizard_.DestoryDlg();
                return false;
            }
        }
    }
    tasque->CheckExecute();
    running_ = true;
    return true;
}

void CChkImgProceedLogic::End()
{
    running_ = false;
    run_.lastShownIndex = -1;
    if (questionOpen_) {
        // The question's box belongs to whoever runs it; it is only ended here, and
        // its late answer is ignored.
        questionOpen_ = false;
        view_.EndCancelQuestion();
    }
}

bool CChkImgProceedLogic::Poll()
{
    if (!running_)
        return false;
    TagChkImgInfo& info = *wizard_.GetParam();
    _KS_PROGRESS_INFO progress{};
    info.pTasque->CheckGetProgress(&progress);
    view_.ShowProgress(progress.ItemPercent, progress.OverallPercent);

    const int index = progress.CurrentItem;
    if (index != run_.lastShownIndex) {
        run_.lastShownIndex = index;
        // An index beyond the queued volumes names nothing to show.
        if (info.pVolumes != nullptr && static_cast<size_t>(index) < info.pVolumes->size() &&
            (*info.pVolumes)[static_cast<size_t>(index)] != nullptr)
            view_.AppendText(ChkImgTexts::VolumeBlock(info.szImagePath, *(*info.pVolumes)[static_cast<size_t>(index)]));
    }

    if (progress.State == KS_CHECK_STATE_FINISH) {
        End();
        unsigned long code = progress.Result;
        if (code == 0) {
            view_.ShowResult("Information", GTK_MB_ICON_RIGHT, kSucceeded);
        } else {
            if (run_.cancelFromCD)
                code = kCancelledByDiscRefusal;
            view_.ShowResult("Error", GTK_MB_ICON_ERROR, FailureText(messageText_(code), code));
        }
        wizard_.DestoryDlg();
        return false;
    }
    if (progress.State == KS_CHECK_STATE_USER_CANCEL) {
        End();
        view_.ShowResult("Information", GTK_MB_ICON_INFORMATION, kCanceled);
        wizard_.DestoryDlg();
        // After the wizard's own clean-up, in the same background run.
        RunEnvScriptsInBackground(nullptr, {EnvPath("/mnt/umnt")});
        return false;
    }
    return true;
}

bool CChkImgProceedLogic::OnQuitClicked()
{
    if (!running_) {
        wizard_.DestoryDlg();
        return false;
    }
    if (questionOpen_)
        return false;
    questionOpen_ = true;
    return true;
}

void CChkImgProceedLogic::OnCancelAnswer(bool yes)
{
    if (!questionOpen_)
        return;
    questionOpen_ = false;
    if (!yes || !running_)
        return;
    wizard_.GetParam()->pTasque->CheckUserCancel();
    wizard_.EnableCancelBtn(0);
}

void CChkImgProceedLogic::OnBackClicked()
{
    wizard_.SetCurrentPage(1);
}
