// The base of the check wizard's pages: a frame without label holding the page's
// function area with 10 pixels around it, and the page operations the frame calls.
#pragma once

#include <gtk/gtk.h>

class IChkImgWizard;

// The pages' shared small font.
void SetFontStyle(GtkWidget* widget);

class CChkImgBasePage {
public:
    explicit CChkImgBasePage(IChkImgWizard* wizard);
    virtual ~CChkImgBasePage();
    CChkImgBasePage(const CChkImgBasePage&) = delete;
    CChkImgBasePage& operator=(const CChkImgBasePage&) = delete;

    GtkWidget* GetPage() const { return m_frame; }
    GtkWidget* GetFunctionArea() const { return m_functionArea; }

    virtual int IsValid() { return 1; }
    virtual void InitPage() {}
    virtual int UpDate() = 0;
    virtual void OnHelpClicked() = 0;
    virtual void OnBackClicked() = 0;
    virtual void OnNextClicked() = 0;
    virtual void OnQuitClicked() = 0;

protected:
    IChkImgWizard* m_wizard;
    GtkWidget* m_functionArea = nullptr;
    GtkWidget* m_frame = nullptr;
};
