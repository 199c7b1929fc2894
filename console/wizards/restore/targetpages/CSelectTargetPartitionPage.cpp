#include "CSelectTargetPartitionPage.h"

#include "CDeviceList.h"
#include "ConsoleMessage.h"
#include "IWizard.h"
#include "TagRestoreInfo.h"

CSelectTargetPartitionPage::CSelectTargetPartitionPage(IWizard* wizard)
    : CBaseWizardPage(wizard), m_logic(wizard, ConsoleMessage(wizard->GetDlg())),
      m_list(new CDeviceList(false, true, true))
{
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(label),
                         "Select a target partition or unallocated space to restore.\nPlease note that the partitions "
                         "that have already been restored and without enough space are disabled.");
    gtk_misc_set_alignment(GTK_MISC(label), 0, 0);
    gtk_box_pack_start(GTK_BOX(GetFunctionArea()), label, FALSE, TRUE, 10);
    m_list->SetTasque(wizard->GetParam()->pTasque);
    m_list->InitDeviceList();
    m_list->SetRowChangedCallBack(this);
    GtkWidget* view = m_list->GetDeviceListWidgetInterface();
    gtk_widget_set_size_request(m_list->GetDeviceListWidget(), 720, 260);
    gtk_box_pack_start(GTK_BOX(GetFunctionArea()), view, TRUE, TRUE, 0);
}

CSelectTargetPartitionPage::~CSelectTargetPartitionPage() = default;

bool CSelectTargetPartitionPage::Selection(int& disk, int& partition)
{
    uint16_t p = 0, d = 0;
    if (m_list->GetCurrentSelectDevice(p, d) != 0)
        return false;
    disk = d;
    partition = p == 0xFFFF ? -1 : p;
    return true;
}

void CSelectTargetPartitionPage::InitPage()
{
    m_logic.InitPage();
    // The rows without enough space for the chosen volume cannot be chosen.
    std::vector<std::pair<int, int>> tooSmall;
    for (const auto& row : m_list->PartitionRows())
        if (m_logic.TargetTooSmall(row.first, row.second))
            tooSmall.push_back(row);
    m_list->SetDisabledRows(tooSmall);
    // A chosen row that became one (another volume is restored now) is no target.
    int disk = 0, partition = -1;
    if (!Selection(disk, partition) && m_wizard->GetParam()->bTargetUsable != 0)
        DeviceListRowChangedCallBack();
    if (GtkWidget* dlg = m_wizard->GetDlg())
        gtk_widget_queue_draw(dlg);
}

void CSelectTargetPartitionPage::DeviceListRowChangedCallBack()
{
    int disk = 0, partition = -1;
    if (!Selection(disk, partition))
        partition = -1;
    m_logic.RowChanged(disk, partition);
}

void CSelectTargetPartitionPage::OnNextClicked()
{
    int disk = 0, partition = -1;
    if (Selection(disk, partition))
        m_logic.OnNextClicked(disk, partition);
}

void CSelectTargetPartitionPage::OnHelpClicked() { m_wizard->OnHelp(); }
void CSelectTargetPartitionPage::OnBackClicked() { m_wizard->OnBack(); }
void CSelectTargetPartitionPage::OnQuitClicked() { m_wizard->DestoryDlg(); }
