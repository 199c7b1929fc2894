// "A new version is available": the current and latest versions, a link to the
// news, and whether to check again at every start.
#pragma once

#include "CBaseDialog.h"
#include "CCheckButtonPlus.h"

#include <string>

class CNewVersionDlg : public CBaseDialog {
public:
    CNewVersionDlg(GtkWidget* parent, const char* title, int width, int height, const char* current,
                   const char* latest, const char* link, bool checkAtStartup);
    ~CNewVersionDlg() override;

    const char* GetHelpName() override { return "NewVersionDlg"; }
    bool IsCheckAtStartup() const { return m_checkAtStartup; }
    GtkWidget* GetCheckWidget() const { return m_check.GetCheckBtnWidget(); }
    GtkWidget* GetLinkWidget() const { return m_linkButton; }

private:
    static void OnCheckClicked(GtkWidget* button, gpointer self);

    CCheckButtonPlus m_check;
    std::string m_current;
    std::string m_latest;
    std::string m_link;
    bool m_checkAtStartup;
    GtkWidget* m_linkButton = nullptr;
};
