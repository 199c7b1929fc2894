// The restore wizard's image partition page: the chosen image's disk with its
// partitions and the "MBR and Track 0" row, ticks for what to restore, and the
// "Sector-by-sector restoration" box. CImagePartitionLogic decides; the list is
// built anew on every entry.
#pragma once

#include <memory>
#include <vector>

#include "CBaseWizardPage.h"
#include "CImagePartitionLogic.h"
#include "KSImageFormat.h"
#include "ISectorBySectorInterface.h"

class CCheckButtonPlus;
class CRestoreVolListCtrl;

class CReadImageFilePartitionPage : public CBaseWizardPage, public ISectorBySectorInterface {
public:
    explicit CReadImageFilePartitionPage(IWizard* wizard);
    ~CReadImageFilePartitionPage() override;

    int IsValid() override { return 0; }
    void InitPage() override;
    int UpDate() override;
    void OnHelpClicked() override;
    void OnBackClicked() override { m_logic.OnBackClicked(); }
    void OnNextClicked() override;
    void OnQuitClicked() override;
    void RestoreInfoListRowChangedCallBack(int rows) override;

    CRestoreVolListCtrl* GetList() const { return m_list.get(); }
    GtkWidget* GetSectorBox() const;
    const CImagePartitionLogic& Logic() const { return m_logic; }

private:
    std::vector<const _KS_VOLUME*> Checked() const;
    void ApplyBox();
    static void OnBoxToggled(GtkToggleButton* button, gpointer self);

    CImagePartitionLogic m_logic;
    std::unique_ptr<CRestoreVolListCtrl> m_list;
    std::unique_ptr<CCheckButtonPlus> m_box;
    _KS_VERSION m_version{};
    bool m_applying = false;
};
