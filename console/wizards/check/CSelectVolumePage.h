// Page 0 of the check wizard: a browser of the mounted volumes, the file name and
// type entries, the password box of a protected set, the information box of an open
// one, and the volume list of its version with check boxes. It owns the wizard's
// command object; its decisions are CSelectVolumeLogic's.
#pragma once

#include <memory>
#include <string>

#include "CButtonPlus.h"
#include "CChkImgBasePage.h"
#include "CEntryPlus.h"
#include "CGtkWizardMessages.h"
#include "CSelectVolumeLogic.h"
#include "IListCallBack.h"

class CExploreCtrl;
class CVolListCtrl;
class ITasque;
struct ChkImgRunState;

class CSelectVolumePage : public CChkImgBasePage, public IListCallBack {
public:
    // tasque: owned from here on (released by the destructor).
    CSelectVolumePage(IChkImgWizard* wizard, ChkImgRunState& run, ITasque* tasque);
    ~CSelectVolumePage() override;

    int IsValid() override { return 0; }
    void InitPage() override;
    int UpDate() override;
    void OnHelpClicked() override;
    void OnBackClicked() override;
    void OnNextClicked() override;
    void OnQuitClicked() override;
    void RowChangeCallBack() override;

    // What tests and the screenshots reach.
    CExploreCtrl& Browser() { return *m_browser; }
    CSelectVolumeLogic& Logic() { return m_logic; }
    CVolListCtrl* VolumeList() { return m_list.get(); }
    GtkWidget* FileNameEntry() const { return m_fileName.GetEntryWidget(); }
    GtkWidget* PasswordEntry() const { return m_password.GetEntryWidget(); }
    GtkWidget* ConfirmButton() const { return m_confirm.GetButtonWidget(); }
    GtkWidget* PasswordBox() const { return m_passwordBox; }
    GtkWidget* InfoBox() const { return m_infoBox; }
    std::string Description() const { return m_description; }
    // A chosen path, as a browser row or a typed path would give it.
    void Choose(const std::string& path, bool fromBrowser);

    static void OnVolListRowChecked(void* self);
    static void OnValueChanged(GtkEditable* editable, gpointer self);
    static void OnComfirmed(GtkButton* button, gpointer self);

private:
    void ReplaceList(bool withVersion);
    void DropList();
    void ShowBoxes(bool protectedSet);
    void ShowInformation(const std::string& path);
    void Confirm();
    static gboolean PassReleaseEvent(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean OnDescriptionExpose(GtkWidget* widget, GdkEventExpose* event, gpointer self);

    ITasque* m_tasque;
    CGtkWizardMessages m_messages;
    ChkImgRunState& m_run;
    CSelectVolumeLogic m_logic;
    std::unique_ptr<CExploreCtrl> m_browser;
    std::unique_ptr<CVolListCtrl> m_list;
    GtkWidget* m_listContainer = nullptr;
    GtkWidget* m_listWidgets[2] = {nullptr, nullptr};
    GtkWidget* m_passwordBox = nullptr;
    GtkWidget* m_infoBox = nullptr;
    GtkWidget* m_passwordName = nullptr;
    GtkWidget* m_infoName = nullptr;
    GtkWidget* m_descriptionArea = nullptr;
    GtkWidget* m_dateSize = nullptr;
    CEntryPlus m_fileName;
    CEntryPlus m_fileType;
    CEntryPlus m_password;
    CButtonPlus m_confirm{"C_onfirm"};
    std::string m_description;
    bool m_settingEntry = false;
};
