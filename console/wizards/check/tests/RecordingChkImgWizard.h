// An IChkImgWizard for page logic tests: a real record, the state of each button,
// the page moves as the frame makes them, and every call by name.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "IChkImgWizard.h"

class RecordingChkImgWizard : public IChkImgWizard {
public:
    TagChkImgInfo info;
    int page = 0;
    bool backEnabled = true, nextEnabled = true, cancelEnabled = true;
    std::string nextText = "_Next>";
    std::vector<std::string> calls;

    size_t Count(const std::string& name) const { return size_t(std::count(calls.begin(), calls.end(), name)); }

    GtkWidget* GetParentDlg() override { return nullptr; }
    TagChkImgInfo* GetParam() override { return &info; }
    GtkWidget* GetDlg() override { return nullptr; }
    GtkWidget* GetHeadBox() override { return nullptr; }
    GtkWidget* GetContainer() override { return nullptr; }
    GtkWidget* GetHelpButton() override { return nullptr; }
    void OnHelp() override { calls.push_back("OnHelp"); }
    void OnBack() override { calls.push_back("OnBack"); --page; }
    void OnNext() override { calls.push_back("OnNext"); ++page; }
    void OnQuit() override {}
    void SetCurrentPage(int n) override { calls.push_back("SetCurrentPage"); page = n; }
    void ShowBackBtn(int) override {}
    void ShowNextBtn(int) override {}
    void SetBtnNextText(const char* text) override { nextText = text; }
    void EnableCancelBtn(int e) override { cancelEnabled = e != 0; }
    void EnableBackBtn(int e) override { backEnabled = e != 0; }
    void EnableNextBtn(int e) override { nextEnabled = e != 0; }
    void EnableHelpBtn(int) override {}
    void SetNextBtnFocus() override {}
    void DestoryDlg() override { calls.push_back("DestoryDlg"); }
};
