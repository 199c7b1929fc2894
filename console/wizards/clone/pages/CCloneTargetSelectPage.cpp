#include "CCloneTargetSelectPage.h"

#include <cstring>

#include "CCloneDataBase.h"
#include "CDiskPanel.h"
#include "CloneDiskChoiceBox.h"
#include "CloneDiskRules.h"
#include "CloneMessage.h"
#include "ClonePlanCheck.h"
#include "ICensa.h"
#include "ICloneWizard.h"
#include "CloneServices.h"
#include "ITasque.h"
#include "PartitionRules.h"

CCloneTargetSelectPage::CCloneTargetSelectPage(ICensa* censa)
    : m_list(new CCloneDeviceList(censa)), m_map(new CDiskPanel()), m_censa(censa)
{
    PackBetweenSpacers(BuildCloneDiskChoiceBox(
        "Please select the hard disk drive then click<b> Next</b>.", *m_list, this, *m_map, NewLegendStrip()));
}

CCloneTargetSelectPage::~CCloneTargetSelectPage()
{
    if (m_command != nullptr)
        m_command->Release();
}

ICensa* CCloneTargetSelectPage::Censa() const
{
    return CloneCensaOr(m_censa);
}

void CCloneTargetSelectPage::UpdateHeader()
{
    m_wizard->SetHeaderPicture("../res/second-clonedisk-icon.png", 0);
    m_wizard->SetHeaderText("Destination hard disk", "Select your destination hard disk from the list below.");
}

void CCloneTargetSelectPage::InitPage()
{
    // Each entry makes a new command object (an executor with every engine): the one
    // made on an earlier entry goes first.
    if (m_command != nullptr)
        m_command->Release();
    m_command = NewCloneCommand();
    m_wizard->EnableBackBtn(1);
    // The first disk listed besides the source; a disk that is not there has no row.
    const int source = CCloneDataBase::Instance()->GetCloneSourceDisk();
    const int first = m_list->FirstDiskOtherThan(source);
    m_list->SetSelectDisk(first >= 0 ? first : (source != 0 ? 0 : 1));
    m_map->InitOneDiskPanel(static_cast<unsigned long long>(m_list->GetSelectDisk()), kCloneMapMargin,
                            kCloneMapWidth);
    gtk_widget_show_all(m_map->GetDiskPanel());
}

int CCloneTargetSelectPage::CurrentPageForPrePage()
{
    m_wizard->EnableNextBtn(1);
    return 1;
}

void CCloneTargetSelectPage::SetWndFocus(GtkWidget*)
{
    if (GtkWidget* tree = m_list->GetDeviceListWidget())
        gtk_widget_grab_focus(tree);
}

void CCloneTargetSelectPage::DeviceListRowChangedCallBack()
{
    if (m_wizard == nullptr)
        return;
    const int disk = m_list->GetSelectDisk();
    _KS_DISK_INFO record;
    std::memset(&record, 0, sizeof record);
    if (ICensa* censa = Censa())
        censa->GetDiskInfo(static_cast<unsigned long long>(disk), &record);
    const bool offline = m_command != nullptr && IsOfflineDisk(disk, m_command);
    const int source = CCloneDataBase::Instance()->GetCloneSourceDisk();
    m_wizard->EnableNextBtn(IsCloneTargetSelectable(disk, source, record, offline) ? 1 : 0);
    m_map->InitOneDiskPanel(static_cast<unsigned long long>(disk), kCloneMapMargin, kCloneMapWidth);
    gtk_widget_show_all(m_map->GetDiskPanel());
}

CLONE_WIZARD_PAGE CCloneTargetSelectPage::GetNextPage()
{
    m_selectDisk = m_list->GetSelectDisk();
    if (m_command == nullptr)
        m_command = NewCloneCommand();
    CloneTargetVerdict verdict = CloneTargetVerdict::NotSupported;
    if (m_command != nullptr) {
        const CloneDiskRecords source = ReadCloneDisk(*m_command, CCloneDataBase::Instance()->GetCloneSourceDisk());
        _KS_DISK_INFO target;
        std::memset(&target, 0, sizeof target);
        m_command->EnumGetDiskInfo(static_cast<unsigned long long>(m_selectDisk), &target);
        verdict = CheckCloneTarget(source, target);
    }
    if (verdict == CloneTargetVerdict::TooSmall) {
        ShowCloneMessage(m_wizard, kCloneMessageTitle, GTK_MB_ICON_ERROR, GTK_MB_OK, kCloneTargetTooSmallText);
        return CLONE_PAGE_NONE;
    }
    if (verdict == CloneTargetVerdict::NotSupported) {
        ShowCloneMessage(m_wizard, kCloneMessageTitle, GTK_MB_ICON_ERROR, GTK_MB_OK, kCloneNotSupportedText);
        return CLONE_PAGE_NONE;
    }
    CCloneDataBase::Instance()->SetCloneTargetDisk(m_selectDisk);
    return CLONE_PAGE_TASK_DESCRIPTION;
}
