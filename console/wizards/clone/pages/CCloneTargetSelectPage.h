// The clone wizard's second page: the disk to copy onto. The source itself, dynamic,
// GPT and offline disks cannot be chosen; on Next the destination must hold the
// source's data before it becomes the clone's target.
#pragma once

#include <memory>

#include "CCloneDeviceList.h"
#include "CCloneWizardPage.h"

class CDiskPanel;
class ICensa;
class ITasque;

class CCloneTargetSelectPage : public CCloneWizardPage, public ITargetPartitionList {
public:
    explicit CCloneTargetSelectPage(ICensa* censa = nullptr);
    ~CCloneTargetSelectPage() override;

    CLONE_WIZARD_PAGE GetNextPage() override;
    void UpdateHeader() override;
    void InitPage() override;
    void SetWndFocus(GtkWidget* window) override;
    int CurrentPageForPrePage() override;
    void DeviceListRowChangedCallBack() override;

    CCloneDeviceList& DeviceList() { return *m_list; }
    // Command objects made by this page and not yet released (at most one).
    int LiveCommandObjects() const { return m_command != nullptr ? 1 : 0; }

private:
    ICensa* Censa() const;

    std::unique_ptr<CCloneDeviceList> m_list;
    std::unique_ptr<CDiskPanel> m_map;
    ITasque* m_command = nullptr;
    int m_selectDisk = 0;
    ICensa* m_censa = nullptr;
};
