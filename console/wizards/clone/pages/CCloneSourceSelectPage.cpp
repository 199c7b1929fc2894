#include "CCloneSourceSelectPage.h"

#include <cstring>

#include "CCloneDataBase.h"
#include "CDiskPanel.h"
#include "CloneDiskChoiceBox.h"
#include "CloneDiskRules.h"
#include "CloneMessage.h"
#include "ICensa.h"
#include "ICloneWizard.h"
#include "CloneServices.h"
#include "ITasque.h"

CCloneSourceSelectPage::CCloneSourceSelectPage(ICensa* censa)
    : m_list(new CCloneDeviceList(censa)), m_map(new CDiskPanel()), m_command(NewCloneCommand()), m_censa(censa)
{
    PackBetweenSpacers(BuildCloneDiskChoiceBox(
        "Select the source hard disk from the list of available drives then click <b>Next</b>.", *m_list, this, *m_map, NewLegendStrip()));
}

CCloneSourceSelectPage::~CCloneSourceSelectPage()
{
    if (m_command != nullptr)
        m_command->Release();
}

ICensa* CCloneSourceSelectPage::Censa() const
{
    return CloneCensaOr(m_censa);
}

void CCloneSourceSelectPage::UpdateHeader()
{
    m_wizard->SetHeaderPicture("../res/second-clonedisk-icon.png", 0);
    m_wizard->SetHeaderText("Source hard disk", "Select your source hard disk from the list below.");
}

void CCloneSourceSelectPage::InitPage()
{
    m_wizard->EnableBackBtn(0);
    m_wizard->EnableNextBtn(0);
}

void CCloneSourceSelectPage::SetWndFocus(GtkWidget*)
{
    if (GtkWidget* tree = m_list->GetDeviceListWidget())
        gtk_widget_grab_focus(tree);
}

void CCloneSourceSelectPage::DeviceListRowChangedCallBack()
{
    if (m_wizard == nullptr)
        return;
    m_selectDisk = m_list->GetSelectDisk();
    ICensa* censa = Censa();
    // A clone needs a second disk that is there: a listed disk whose image is missing
    // has no row and does not count.
    if (censa == nullptr || m_list->RowCount() < 2)
        return;
    _KS_DISK_INFO disk;
    std::memset(&disk, 0, sizeof disk);
    censa->GetDiskInfo(static_cast<unsigned long long>(m_selectDisk), &disk);
    m_wizard->EnableNextBtn(IsCloneRefusedDiskKind(disk) ? 0 : 1);
    m_map->InitOneDiskPanel(static_cast<unsigned long long>(m_selectDisk), kCloneMapMargin, kCloneMapWidth);
    gtk_widget_show_all(m_map->GetDiskPanel());
}

CLONE_WIZARD_PAGE CCloneSourceSelectPage::GetNextPage()
{
    const unsigned disk = static_cast<unsigned>(m_selectDisk);
    bool supported = false;
    if (ICensa* censa = Censa()) {
        const CloneDiskRecords censaView = ReadCloneDisk(*censa, disk);
        _KS_DISK_INFO commandRecord;
        std::memset(&commandRecord, 0, sizeof commandRecord);
        if (m_command != nullptr)
            m_command->EnumGetDiskInfo(disk, &commandRecord);
        supported = IsCloneSourceSupported(censaView, commandRecord);
    }
    if (!supported) {
        ShowCloneMessage(m_wizard, kCloneMessageTitle, GTK_MB_ICON_ERROR, GTK_MB_OK, kCloneNotSupportedText);
        return CLONE_PAGE_NONE;
    }
    CCloneDataBase::Instance()->SetCloneSourceDisk(m_selectDisk);
    return CLONE_PAGE_TARGET_SELECT;
}
