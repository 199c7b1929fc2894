// The partition edit page: the partition the restore mode page made, moved and
// resized within the free space around it with a drag view and three spin buttons
// (MB). The move/resize manager keeps the layout rules; the arithmetic between its
// sizes and the partition's sectors is EditPartitionArithmetic's.
#pragma once

#include <memory>

#include "CBaseWizardPage.h"
#include "CMoveResizeManager.h"
#include "EditPartitionArithmetic.h"
#include "IMoveResizeDlg.h"

class CMoveResizeDeviceBlock;
class CSpinBtn;
class IManagerItem;

class CEditPartitionPage : public CBaseWizardPage, public IMoveResizeDlg {
public:
    explicit CEditPartitionPage(IWizard* wizard);
    ~CEditPartitionPage() override;

    int IsValid() override { return 0; }
    void InitPage() override;
    int UpDate() override;
    void OnHelpClicked() override;
    void OnBackClicked() override;
    void OnNextClicked() override;
    void OnQuitClicked() override;
    void UpdateDlg(const MOVERESIZ_DLG_INFO& info, bool redraw, bool setSpins) override;
    void PromptNotEnoughSpace() override;

    // The sectors the controls give now; 1 when they differ from the partition's own.
    int GetOutParam(MOVE_RESIZE_OPERATION_PARAM& out);
    CSpinBtn* Spin(int which) const; // 0 before, 1 size, 2 after
    GtkWidget* MinimumLabel() const { return m_minLabel; }
    GtkWidget* MaximumLabel() const { return m_maxLabel; }

private:
    EditItemFacts ItemFacts() const;
    bool Locked() const;
    bool SectorBySector() const;
    void InitPartitionItem(IManagerItem* item);
    void InitSpinButtons(IManagerItem* item);
    void CalulateLabelSize();
    void OnSpin(int which);
    static void OnBFSpinBtnValueChanged(GtkSpinButton* spin, gpointer self);
    static void OnSizeSpinBtnValueChanged(GtkSpinButton* spin, gpointer self);
    static void OnAFSpinBtnValueChanged(GtkSpinButton* spin, gpointer self);

    std::unique_ptr<CSpinBtn> m_spins[3];
    GtkWidget* m_captions[3] = {};
    uint64_t m_ntfsMinimum = 0;
    IManagerItem* m_item = nullptr;
    MOVE_RESIZE_OPERATION_PARAM m_operation{};
    double m_maximum = 0;
    std::unique_ptr<CMoveResizeDeviceBlock> m_block;
    CMoveResizeManager m_manager;
    GtkWidget* m_minLabel = nullptr;
    GtkWidget* m_maxLabel = nullptr;
    bool m_built = false;
    bool m_setting = false;
};
