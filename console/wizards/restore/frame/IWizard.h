// What a restore wizard page sees of its wizard: the shared record, the windows it
// parents message boxes on, the buttons it may show, hide, relabel or disable, and
// the moves between pages. The frame implements it; page logic is tested against a
// recording stand-in. Nothing deletes a wizard through this interface.
#pragma once

struct TagRestoreInfo;
typedef struct _GtkWidget GtkWidget;

class IWizard {
public:
    virtual TagRestoreInfo* GetParam() = 0;
    virtual GtkWidget* GetDlg() = 0;
    virtual GtkWidget* GetHeadBox() = 0;
    virtual GtkWidget* GetContainer() = 0;
    virtual void OnHelp() = 0;
    // Notebook to the previous / next page, then that page's InitPage.
    virtual void OnBack() = 0;
    virtual void OnNext() = 0;
    virtual void OnQuit() = 0;
    // Notebook to page n, then page n's InitPage.
    virtual void SetCurrentPage(int n) = 0;
    virtual void ShowBackBtn(int show) = 0;
    virtual void ShowNextBtn(int show) = 0;
    virtual void ShowHelpBtn(int show) = 0;
    // Underscores in the label mark the mnemonic.
    virtual void SetBtnNextText(const char* text) = 0;
    virtual void EnableCancelBtn(int enable) = 0;
    virtual void EnableBackBtn(int enable) = 0;
    virtual void EnableNextBtn(int enable) = 0;
    virtual void EnableHelpBtn(int enable) = 0;
    virtual void SetRightKeyCopy(bool copy) = 0;
    virtual bool IsRightKeyCopy() = 0;
    virtual void SetNextBtnFocus() = 0;
    // Ends the wizard: runs the environment's unmount scripts and destroys the
    // window, which ends the modal loop. The object itself is deleted by RunDlg once
    // that loop has returned, so a page that calls this may still return normally.
    virtual void DestoryDlg() = 0;

protected:
    ~IWizard() {}
};
