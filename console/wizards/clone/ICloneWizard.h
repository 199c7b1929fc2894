// What the clone wizard's pages and footer know of the wizard: its buttons, header and
// separator, the page moves, help, and the dialog that hosts it.
#pragma once

#include <gtk/gtk.h>

class CBaseDialog;

class ICloneWizard {
public:
    virtual ~ICloneWizard() {}
    virtual void OnHelpClicked() = 0;
    virtual void OnBackClicked() = 0;
    virtual void OnNextClicked() = 0;
    virtual void OnQuitClicked() = 0;
    // Next when it is sensitive; 0 when it is not.
    virtual int OnNext() = 0;
    virtual void OpenHelp() {}
    virtual void ShowBackBtn(int show) = 0;
    virtual void ShowNextBtn(int show) = 0;
    virtual void HideHeader(int hide) = 0;
    virtual void SetHeaderText(const char* title, const char* subtitle) = 0;
    virtual void SetHeaderPicture(const char* path, int placement) = 0;
    virtual void HideSeparator(int hide) = 0;
    virtual void EnableCancelBtn(int enable) = 0;
    virtual void EnableBackBtn(int enable) = 0;
    virtual void EnableNextBtn(int enable) = 0;
    virtual void EnableHelpBtn(int enable) = 0;
    virtual void SetBtnQuitText(const char* text) = 0;
    virtual void SetBtnNextText(const char* text) = 0;
    virtual void SetNextBtnFocus(GtkWidget* window) = 0;
    virtual void SetBackBtnFocus(GtkWidget* window) = 0;
    virtual void SetHelpBtnFocus(GtkWidget* window) = 0;
    virtual void SetQuitBtnFocus(GtkWidget* window) = 0;
    virtual int IsHelpBtnFocused() = 0;
    virtual int IsBackBtnFocused() = 0;
    virtual int IsNextBtnFocused() = 0;
    virtual int IsQuitBtnFocused() = 0;
    virtual int IsNextBtnSensitive() = 0;
    virtual GtkWidget* GetMainWindow() = 0;
    virtual int GetWndWidth() = 0;
    virtual CBaseDialog* GetBaseDialog() = 0;
};
