#include "CCloneTaskDescriptionPage.h"

#include <cstdio>
#include <cstring>

#include "CCloneDataBase.h"
#include "CDiskPanel.h"
#include "CloneMessage.h"
#include "CloneDiskRules.h"
#include "ClonePlanCheck.h"
#include "ICloneWizard.h"
#include "CloneServices.h"
#include "ITasque.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IManagerItem.h"

namespace {
constexpr int kPanelMargin = 12;
constexpr int kPanelWidth = 640;
constexpr const char* kDeleteQuestion = "Note:\nThis operation will delete all the data on the destination disk ,\n"
                                        "please click \"Yes\" to continue or \"No\" to cancel.";

GtkWidget* PlainLabel(const char* text)
{
    GtkWidget* label = gtk_label_new(text);
    gtk_misc_set_alignment(GTK_MISC(label), 0, 0.5);
    return label;
}
} // namespace

CloneLayoutPlan PlanCloneThroughCommand(ITasque& command, unsigned char sourceDisk, unsigned char targetDisk)
{
    CloneLayoutInput in;
    in.sourceDisk = sourceDisk;
    in.targetDisk = targetDisk;
    in.source = ReadCloneDisk(command, sourceDisk);
    std::memset(&in.target, 0, sizeof in.target);
    command.EnumGetDiskInfo(targetDisk, &in.target);
    in.sourceBad = command.IsBadDisk(sourceDisk, 0, 0) != 0;
    in.targetTracksPerCylinder = in.target.TracksPerCylinder;
    in.targetSectorsPerTrack = in.target.SectorsPerTrack;
    IManagerItem* item = nullptr;
    if (command.GetDiskItem(targetDisk, &item) == 0 && item != nullptr) {
        if (IDiskGeometry* geometry = item->GetInterfaceT<IDiskGeometry>(MomGetTypeNameT<IDiskGeometry>())) {
            in.targetTracksPerCylinder = geometry->GetTracksPerCylinder();
            in.targetSectorsPerTrack = geometry->GetSectorsPerTrack();
        }
    }
    return PlanCloneLayout(in);
}

void StoreClonePlan(const CloneLayoutPlan& plan)
{
    CCloneDataBase* data = CCloneDataBase::Instance();
    data->ClearAddPartitionParam();
    data->ClearRestoreParInfo();
    data->RestoreParts() = plan.restoreItems;
    for (const AddPartitionParam& add : plan.addParams)
        data->SetAddPartitionParam(add);
    data->ClearSourceParInfo();
    data->SourceParts() = plan.sourceItems;
}

CCloneTaskDescriptionPage::CCloneTaskDescriptionPage()
    : m_sourcePanel(new CDiskPanel()), m_targetPanel(new CDiskPanel())
{
    GtkWidget* box = gtk_vbox_new(FALSE, 0);
    // As high as its rows need: the last one is not cut off.
    gtk_widget_set_size_request(box, 0, -1);
    GtkWidget* intro = gtk_label_new(
        "Please review the source hard disk layout before cloning and the destination hard disk layout that will be "
        "created during the cloning procedure below.");
    gtk_widget_set_size_request(intro, 600, 30);
    gtk_label_set_line_wrap(GTK_LABEL(intro), TRUE);
    gtk_misc_set_alignment(GTK_MISC(intro), 0, 0);
    gtk_box_pack_start(GTK_BOX(box), intro, FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(box), PlainLabel("Before cloning."), FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(box), m_sourcePanel->GetDiskPanel(), FALSE, FALSE, 7);
    gtk_box_pack_start(GTK_BOX(box), PlainLabel("After cloning."), FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(box), m_targetPanel->GetDiskPanel(), FALSE, FALSE, 7);
    gtk_box_pack_start(GTK_BOX(box), NewLegendStrip(), FALSE, FALSE, 10);
    GtkWidget* next = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(next), " To continue the hard disk clone, click the <b>Next</b> button.");
    gtk_misc_set_alignment(GTK_MISC(next), 0, 0.5);
    gtk_box_pack_start(GTK_BOX(box), next, FALSE, FALSE, 15);
    PackBetweenSpacers(box);
}

CCloneTaskDescriptionPage::~CCloneTaskDescriptionPage()
{
    if (m_command != nullptr)
        m_command->Release();
}

void CCloneTaskDescriptionPage::UpdateHeader()
{
    m_wizard->SetHeaderPicture("../res/second-clonedisk-icon.png", 0);
    m_wizard->SetHeaderText("Hard disk drives layout", "Hard disk layout before cloning and after cloning.");
}

void CCloneTaskDescriptionPage::InitPage()
{
    m_sourcePanel->InitOneDiskPanel(static_cast<unsigned long long>(CCloneDataBase::Instance()->GetCloneSourceDisk()),
                                    kPanelMargin, kPanelWidth);
    EditDiskRelayout();
}

void CCloneTaskDescriptionPage::EditDiskRelayout()
{
    // Each layout run makes a new command object; the previous one goes first.
    if (m_command != nullptr)
        m_command->Release();
    m_command = NewCloneCommand();
    CCloneDataBase* data = CCloneDataBase::Instance();
    const int source = data->GetCloneSourceDisk();
    const int target = data->GetCloneTargetDisk();
    if (m_command == nullptr) {
        m_plan = CloneLayoutPlan();
        StoreClonePlan(m_plan);
        return;
    }
    m_plan = PlanCloneThroughCommand(*m_command, static_cast<unsigned char>(source), static_cast<unsigned char>(target));
    _KS_DISK_INFO record;
    std::memset(&record, 0, sizeof record);
    m_command->EnumGetDiskInfo(static_cast<unsigned long long>(target), &record);
    m_targetSectors = record.TotalSectors;
    m_targetCylinder = m_plan.targetCylinder;
    m_targetPanel->InitOneVisualDiskPanel(static_cast<unsigned long long>(target), m_plan.layout, kPanelMargin,
                                          kPanelWidth, static_cast<int>(m_targetCylinder), 0);
    StoreClonePlan(m_plan);
}

CLONE_WIZARD_PAGE CCloneTaskDescriptionPage::GetNextPage()
{
    // A plan the destination cannot hold is refused here, before anything is written.
    if (!ClonePlanFits(m_plan, m_targetSectors)) {
        ShowCloneMessage(m_wizard, kCloneMessageTitle, GTK_MB_ICON_ERROR, GTK_MB_OK, kCloneTargetTooSmallText);
        return CLONE_PAGE_NONE;
    }
    if (m_command == nullptr)
        return CLONE_PAGE_NONE;
    CCloneDataBase* data = CCloneDataBase::Instance();
    const CloneDiskRecords target = ReadCloneDisk(*m_command, static_cast<unsigned>(data->GetCloneTargetDisk()));
    bool hasPartitions = false;
    for (const _KS_PARTITION_INFO& p : target.partitions)
        hasPartitions = hasPartitions || p.PartitionType != 0;
    if (!hasPartitions)
        return CLONE_PAGE_TASK_PROGRESS;
    _KS_DISK_INFO source;
    std::memset(&source, 0, sizeof source);
    m_command->EnumGetDiskInfo(static_cast<unsigned long long>(data->GetCloneSourceDisk()), &source);
    if (source.SectorsPerTrack != target.disk.SectorsPerTrack ||
        source.TracksPerCylinder != target.disk.TracksPerCylinder) {
        char text[300];
        std::snprintf(text, sizeof text,
                      "Inconsistent Disk parameter may lead to boot failure. If failed to boot, please enter BIOS setup "
                      "and modify the Heads to %d and sector numbers per track to %d. Try again.",
                      static_cast<int>(source.TracksPerCylinder), static_cast<int>(source.SectorsPerTrack));
        ShowCloneMessage(m_wizard, "Warning", GTK_MB_ICON_WARNING, GTK_MB_OK, text);
    }
    const DLG_RESULT answer = ShowCloneMessage(m_wizard, "Warning", GTK_MB_ICON_WARNING, GTK_MB_YESNO, kDeleteQuestion);
    return answer == DLG_RESULT_OK ? CLONE_PAGE_TASK_PROGRESS : CLONE_PAGE_NONE;
}
