// The clone wizard's first page: the disk to copy from, picked in the disk list and
// shown in a disk map below it. Dynamic and GPT disks cannot be chosen; on Next the
// disk's partitions and sectors are checked before it becomes the clone's source.
#pragma once

#include <memory>

#include "CCloneDeviceList.h"
#include "CCloneWizardPage.h"

class CDiskPanel;
class ICensa;
class ITasque;

class CCloneSourceSelectPage : public CCloneWizardPage, public ITargetPartitionList {
public:
    explicit CCloneSourceSelectPage(ICensa* censa = nullptr);
    ~CCloneSourceSelectPage() override;

    CLONE_WIZARD_PAGE GetNextPage() override;
    void UpdateHeader() override;
    void InitPage() override;
    void SetWndFocus(GtkWidget* window) override;
    void DeviceListRowChangedCallBack() override;

    CCloneDeviceList& DeviceList() { return *m_list; }

private:
    ICensa* Censa() const;

    std::unique_ptr<CCloneDeviceList> m_list;
    std::unique_ptr<CDiskPanel> m_map;
    int m_selectDisk = 0;
    ITasque* m_command = nullptr;
    ICensa* m_censa = nullptr;
};
