// The clone wizard's third page: the source disk as it is and the destination as the
// clone will make it. Entering it plans the destination's layout and fills the clone
// task's lists; Next refuses a plan the destination cannot take, warns when the two
// disks' geometries differ, and asks before the destination's data is given up.
#pragma once

#include <memory>

#include "CCloneWizardPage.h"
#include "CloneLayoutPlan.h"

class CDiskPanel;
class ITasque;

class CCloneTaskDescriptionPage : public CCloneWizardPage {
public:
    CCloneTaskDescriptionPage();
    ~CCloneTaskDescriptionPage() override;

    CLONE_WIZARD_PAGE GetNextPage() override;
    void UpdateHeader() override;
    void InitPage() override;

    // Plans the layout and fills the task's three lists.
    void EditDiskRelayout();
    const CloneLayoutPlan& Plan() const { return m_plan; }
    int LiveCommandObjects() const { return m_command != nullptr ? 1 : 0; }

private:
    std::unique_ptr<CDiskPanel> m_sourcePanel;
    std::unique_ptr<CDiskPanel> m_targetPanel;
    ITasque* m_command = nullptr;
    uint64_t m_targetCylinder = 0;
    uint64_t m_targetSectors = 0;
    CloneLayoutPlan m_plan;
};

// Reads both disks through the command object and plans the layout.
CloneLayoutPlan PlanCloneThroughCommand(ITasque& command, unsigned char sourceDisk, unsigned char targetDisk);
// Puts a plan's three lists into the clone task.
void StoreClonePlan(const CloneLayoutPlan& plan);
