// What a check-image wizard page sees of its wizard: the shared record, the windows
// it parents message boxes on, the buttons, and the moves between pages. The frame
// implements it; page logic is tested against a recording stand-in.
#pragma once

#include "TagChkImgInfo.h"

typedef struct _GtkWidget GtkWidget;

class IChkImgWizard {
public:
    virtual GtkWidget* GetParentDlg() = 0;
    virtual TagChkImgInfo* GetParam() = 0;
    virtual GtkWidget* GetDlg() = 0;
    virtual GtkWidget* GetHeadBox() = 0;
    virtual GtkWidget* GetContainer() = 0;
    virtual GtkWidget* GetHelpButton() = 0;
    virtual void OnHelp() = 0;
    virtual void OnBack() = 0;
    virtual void OnNext() = 0;
    virtual void OnQuit() = 0;
    virtual void SetCurrentPage(int page) = 0;
    virtual void ShowBackBtn(int show) = 0;
    virtual void ShowNextBtn(int show) = 0;
    virtual void SetBtnNextText(const char* text) = 0;
    virtual void EnableCancelBtn(int enable) = 0;
    virtual void EnableBackBtn(int enable) = 0;
    virtual void EnableNextBtn(int enable) = 0;
    virtual void EnableHelpBtn(int enable) = 0;
    virtual void SetNextBtnFocus() = 0;
    virtual void DestoryDlg() = 0;

protected:
    // Nothing deletes a wizard through this interface.
    ~IChkImgWizard() = default;
};
