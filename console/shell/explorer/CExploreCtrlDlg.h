// A modal dialog of 400 by 300 pixels around one explorer that lists image files;
// OK (0) or Cancel (1). GetSelectedPath gives the row picked.
#pragma once

#include "CBaseDialog.h"
#include "CExploreCtrl.h"
#include "IListCallBack.h"

#include <string>

class CExploreCtrlDlg : public CBaseDialog, public IListCallBack {
public:
    CExploreCtrlDlg(GtkWidget* parent, const char* title);
    ~CExploreCtrlDlg() override;

    void RowChangeCallBack() override {}
    std::string GetSelectedPath() const { return m_explorer.GetSelectedFullPath(); }
    CExploreCtrl& Explorer() { return m_explorer; }

private:
    CExploreCtrl m_explorer;
};
