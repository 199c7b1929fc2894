// The restore wizard's drive letter page: "No" or "Yes" with a list of letters that
// offers none, so the restored partition gets no letter. CDriveLetterLogic writes the
// record; after this page the wizard's head stays hidden.
#pragma once

#include "CBaseWizardPage.h"
#include "CComboBoxEntry.h"
#include "CDriveLetterLogic.h"
#include "CRadioButtonPlus.h"

class CAssignDriveLetterPage : public CBaseWizardPage {
public:
    explicit CAssignDriveLetterPage(IWizard* wizard);

    int IsValid() override { return 0; }
    void InitPage() override;
    int UpDate() override;
    void OnHelpClicked() override;
    void OnBackClicked() override;
    void OnNextClicked() override;
    void OnQuitClicked() override;
    void InitDriveLetter();

    GtkWidget* GetYes() const { return m_yes.GetRadioBtnWidget(); }
    GtkWidget* GetNo() const { return m_no.GetRadioBtnWidget(); }
    GtkWidget* GetList() const { return m_list.GetCbEntryWidget(); }

private:
    bool YesSelected() const;
    std::string ActiveText() const;
    static void OnPressYes(GtkButton*, gpointer self);
    static void OnPressNo(GtkButton*, gpointer self);
    static gboolean OnFrame(GtkWidget* widget, GdkEventExpose*, gpointer self);

    CDriveLetterLogic m_logic;
    CComboBoxEntry m_list;
    CRadioButtonPlus m_no, m_yes;
    GtkWidget* m_description = nullptr;
};
