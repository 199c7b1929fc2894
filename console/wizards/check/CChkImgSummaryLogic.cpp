#include "CChkImgSummaryLogic.h"

#include "ChkImgTexts.h"
#include "IChkImgWizard.h"

SummaryText CChkImgSummaryLogic::InitPage()
{
    wizard_.EnableBackBtn(1);
    wizard_.SetBtnNextText("_Proceed");
    const TagChkImgInfo& info = *wizard_.GetParam();
    static const std::vector<_KS_VOLUME*> none;
    return ChkImgTexts::Summary(info.szImagePath, info.pVolumes ? *info.pVolumes : none);
}

void CChkImgSummaryLogic::OnNextClicked()
{
    wizard_.OnNext();
}

void CChkImgSummaryLogic::OnBackClicked()
{
    wizard_.SetCurrentPage(0);
}

void CChkImgSummaryLogic::OnQuitClicked()
{
    wizard_.DestoryDlg();
}
