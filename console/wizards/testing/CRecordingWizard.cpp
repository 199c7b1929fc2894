#include "CRecordingWizard.h"

#include <algorithm>

size_t CRecordingWizard::Count(const std::string& name) const
{
    return size_t(std::count(calls.begin(), calls.end(), name));
}

void CRecordingWizard::OnHelp()
{
    calls.push_back("OnHelp");
    ++helpCount;
}

void CRecordingWizard::OnBack()
{
    calls.push_back("OnBack");
    --currentPage;
}

void CRecordingWizard::OnNext()
{
    calls.push_back("OnNext");
    ++currentPage;
}

void CRecordingWizard::OnQuit()
{
    calls.push_back("OnQuit");
}

void CRecordingWizard::SetCurrentPage(int n)
{
    calls.push_back("SetCurrentPage");
    currentPage = n;
}

void CRecordingWizard::ShowBackBtn(int show)
{
    calls.push_back("ShowBackBtn");
    backShown = show != 0;
}

void CRecordingWizard::ShowNextBtn(int show)
{
    calls.push_back("ShowNextBtn");
    nextShown = show != 0;
}

void CRecordingWizard::ShowHelpBtn(int show)
{
    calls.push_back("ShowHelpBtn");
    helpShown = show != 0;
}

void CRecordingWizard::SetBtnNextText(const char* text)
{
    calls.push_back("SetBtnNextText");
    nextText = text ? text : "";
}

void CRecordingWizard::EnableCancelBtn(int enable)
{
    calls.push_back("EnableCancelBtn");
    cancelEnabled = enable != 0;
}

void CRecordingWizard::EnableBackBtn(int enable)
{
    calls.push_back("EnableBackBtn");
    backEnabled = enable != 0;
}

void CRecordingWizard::EnableNextBtn(int enable)
{
    calls.push_back("EnableNextBtn");
    nextEnabled = enable != 0;
}

void CRecordingWizard::EnableHelpBtn(int enable)
{
    calls.push_back("EnableHelpBtn");
    helpEnabled = enable != 0;
}

void CRecordingWizard::SetRightKeyCopy(bool copy)
{
    calls.push_back("SetRightKeyCopy");
    rightKeyCopy = copy;
}

void CRecordingWizard::SetNextBtnFocus()
{
    calls.push_back("SetNextBtnFocus");
}

void CRecordingWizard::DestoryDlg()
{
    calls.push_back("DestoryDlg");
    destroyed = true;
}
