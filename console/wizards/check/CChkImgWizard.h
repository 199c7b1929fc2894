// The check-image wizard as the console drives it: a local object over the main
// window, set to its first page and run; it is destroyed when its owner's scope
// ends. This build has no pages yet.
#pragma once

#include "CBaseDialog.h"

class CChkImgWizard : public CBaseDialog {
public:
    explicit CChkImgWizard(GtkWidget* parent);

    virtual void SetCurrentPage(int page);
    int GetCurrentPage() const { return m_page; }

    static constexpr const char* kTitle = "Check Image Wizard";

private:
    int m_page = -1;
};
