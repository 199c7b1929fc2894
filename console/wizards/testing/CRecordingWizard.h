// An IWizard for page logic tests: it holds a real TagRestoreInfo, keeps the state
// of each button, follows the moves between pages as the frame would (without any
// page objects) and records every call by name.
#pragma once

#include <string>
#include <vector>

#include "IWizard.h"
#include "TagRestoreInfo.h"

class CRecordingWizard : public IWizard {
public:
    CRecordingWizard() = default;
    virtual ~CRecordingWizard() = default;

    TagRestoreInfo info;
    int currentPage = 0;
    bool backShown = true, nextShown = true, helpShown = true;
    bool cancelEnabled = true, backEnabled = true, nextEnabled = true, helpEnabled = true;
    std::string nextText = "_Next>";
    bool rightKeyCopy = false;
    bool destroyed = false;
    int helpCount = 0;
    std::vector<std::string> calls;

    // Number of recorded calls with this name.
    size_t Count(const std::string& name) const;

    TagRestoreInfo* GetParam() override { return &info; }
    GtkWidget* GetDlg() override { return nullptr; }
    GtkWidget* GetHeadBox() override { return nullptr; }
    GtkWidget* GetContainer() override { return nullptr; }
    void OnHelp() override;
    void OnBack() override;
    void OnNext() override;
    void OnQuit() override;
    void SetCurrentPage(int n) override;
    void ShowBackBtn(int show) override;
    void ShowNextBtn(int show) override;
    void ShowHelpBtn(int show) override;
    void SetBtnNextText(const char* text) override;
    void EnableCancelBtn(int enable) override;
    void EnableBackBtn(int enable) override;
    void EnableNextBtn(int enable) override;
    void EnableHelpBtn(int enable) override;
    void SetRightKeyCopy(bool copy) override;
    bool IsRightKeyCopy() override { return rightKeyCopy; }
    void SetNextBtnFocus() override;
    void DestoryDlg() override;
};
