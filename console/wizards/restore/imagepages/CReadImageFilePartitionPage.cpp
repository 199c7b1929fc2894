#include "CReadImageFilePartitionPage.h"

#include <clocale>
#include <cstdlib>

#include "CCheckButtonPlus.h"
#include "CRestoreVolListCtrl.h"
#include "ITasque.h"
#include "IWizard.h"
#include "TagRestoreInfo.h"

CReadImageFilePartitionPage::CReadImageFilePartitionPage(IWizard* wizard) : CBaseWizardPage(wizard), m_logic(*wizard)
{
    gtk_box_pack_start(GTK_BOX(m_functionArea), gtk_label_new(""), FALSE, FALSE, 0);
}

CReadImageFilePartitionPage::~CReadImageFilePartitionPage() = default;

GtkWidget* CReadImageFilePartitionPage::GetSectorBox() const
{
    return m_box ? m_box->GetCheckBtnWidget() : nullptr;
}

std::vector<const _KS_VOLUME*> CReadImageFilePartitionPage::Checked() const
{
    std::vector<const _KS_VOLUME*> checked;
    if (!m_list)
        return checked;
    m_list->GetCheckedVolNum();
    for (_KS_VOLUME* v : m_list->GetVolInfo())
        checked.push_back(v);
    return checked;
}

void CReadImageFilePartitionPage::InitPage()
{
    if (m_wizard->GetDlg())
        gtk_widget_queue_draw(m_wizard->GetDlg());
    if (m_list)
        gtk_container_remove(GTK_CONTAINER(m_functionArea), m_list->GetListWidgetInterface());
    if (m_box)
        gtk_container_remove(GTK_CONTAINER(m_functionArea), m_box->GetCheckBtnWidget());
    m_list.reset();
    m_box.reset();

    TagRestoreInfo* info = m_wizard->GetParam();
    std::vector<wchar_t> path(RESTORE_IMAGE_PATH_BYTES, L'\0');
    std::mbstowcs(path.data(), info->szImagePath, path.size() - 1);
    unsigned long count = 0;
    info->pTasque->RestoreGetImageVersions(nullptr, 0, &count, path.data());
    std::vector<_KS_VERSION> versions(count ? count : 1);
    info->pTasque->RestoreGetImageVersions(versions.data(), count, &count, path.data());
    m_version = versions[0];

    m_list = std::make_unique<CRestoreVolListCtrl>(true);
    m_list->SetAddMBRRowOrNot(true);
    m_list->InitList(info->pTasque, info->szImagePath, &m_version);
    m_list->SetRowChangedCallBack(this);
    GtkWidget* listWidget = m_list->GetListWidgetInterface();
    gtk_widget_set_size_request(listWidget, 600, 290);
    m_logic.InitPage(Checked());
    gtk_box_pack_start(GTK_BOX(m_functionArea), listWidget, FALSE, FALSE, 0);
    m_box = std::make_unique<CCheckButtonPlus>("Sector-by-sector restoration");
    g_signal_connect(m_box->GetCheckBtnWidget(), "toggled", G_CALLBACK(OnBoxToggled), this);
    gtk_box_pack_start(GTK_BOX(m_functionArea), m_box->GetCheckBtnWidget(), FALSE, FALSE, 5);
    ApplyBox();
    gtk_widget_show_all(m_functionArea);
}

void CReadImageFilePartitionPage::ApplyBox()
{
    if (!m_box)
        return;
    m_applying = true;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_box->GetCheckBtnWidget()), m_logic.Box().ticked);
    gtk_widget_set_sensitive(m_box->GetCheckBtnWidget(), m_logic.Box().sensitive);
    m_applying = false;
}

void CReadImageFilePartitionPage::OnBoxToggled(GtkToggleButton* button, gpointer self)
{
    CReadImageFilePartitionPage* page = static_cast<CReadImageFilePartitionPage*>(self);
    if (!page->m_applying)
        page->m_logic.SetBoxTicked(gtk_toggle_button_get_active(button) != 0);
}

void CReadImageFilePartitionPage::RestoreInfoListRowChangedCallBack(int rows)
{
    m_logic.RowChanged(Checked(), rows);
    ApplyBox();
}

int CReadImageFilePartitionPage::UpDate()
{
    return m_logic.UpDate(Checked(), m_list ? m_list->GetSrcDiskIndex() : 0);
}

void CReadImageFilePartitionPage::OnNextClicked()
{
    m_logic.OnNextClicked(Checked(), m_list ? m_list->GetSrcDiskIndex() : 0);
}

void CReadImageFilePartitionPage::OnHelpClicked()
{
    m_wizard->OnHelp();
}

void CReadImageFilePartitionPage::OnQuitClicked()
{
    m_wizard->DestoryDlg();
}
