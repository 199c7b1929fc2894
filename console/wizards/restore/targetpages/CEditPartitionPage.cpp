#include "CEditPartitionPage.h"

#include <cmath>

#include "CEditPartitionBack.h"
#include "CGtkMessageBox.h"
#include "layout/PartitionSlot.h"
#include "CMoveResizeDeviceBlock.h"
#include "CSpinBtn.h"
#include "DiscMountPath.h"
#include "IWizard.h"
#include "ItemQuery.h"
#include "MegaBytes.h"
#include "PartitionRules.h"
#include "RestorePagePosition.h"
#include "TagRestoreInfo.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"

namespace {

constexpr uint64_t kPageNtfsMinimum = 16065;
const char* const kCaptions[3] = {"Free Space B_efore:", "Partition _Size:", "Free Space _After:"};

} // namespace

CEditPartitionPage::CEditPartitionPage(IWizard* wizard) : CBaseWizardPage(wizard), m_manager(true)
{
    for (auto& spin : m_spins)
        spin.reset(new CSpinBtn);
}

CEditPartitionPage::~CEditPartitionPage()
{
    // A page that was never shown never packed its spin buttons' boxes: they are still
    // floating and nothing else frees them.
    for (auto& spin : m_spins) {
        GtkWidget* box = spin ? spin->GetEventBoxWidget() : nullptr;
        if (box != nullptr && gtk_widget_get_parent(box) == nullptr) {
            g_object_ref_sink(box);
            gtk_widget_destroy(box);
            g_object_unref(box);
        }
    }
}

CSpinBtn* CEditPartitionPage::Spin(int which) const
{
    return m_spins[which].get();
}

bool CEditPartitionPage::Locked() const
{
    const _KS_VOLUME* v = m_wizard->GetParam()->FirstVolume();
    return v != nullptr && EditPartitionArithmetic::IsLocked(*v);
}

bool CEditPartitionPage::SectorBySector() const
{
    return m_wizard->GetParam()->bSectorBySector != 0;
}

EditItemFacts CEditPartitionPage::ItemFacts() const
{
    EditItemFacts f;
    auto* entry = QueryItem<IPartitionEntry>(m_item);
    if (entry == nullptr)
        return f;
    f.start = entry->GetStartSector();
    f.sectors = entry->GetSectorCount();
    f.hidden = entry->GetHiddenSectors();
    f.primary = entry->IsPrimary();
    IManagerItem* disk = m_item->GetParent();
    if (auto* geometry = QueryItem<IDiskGeometry>(disk)) {
        f.sectorsPerTrack = geometry->GetSectorsPerTrack();
        f.tracksPerCylinder = geometry->GetTracksPerCylinder();
    }
    if (auto* diskEntry = QueryItem<IDiskEntry>(disk))
        f.diskSectors = diskEntry->GetTotalSectors();
    IManagerItem* previous = nullptr;
    IManagerItem* next = nullptr;
    FindPreAndNextItem(&previous, &next, m_item);
    if (auto* p = QueryItem<IPartitionEntry>(previous)) {
        f.hasPrevious = true;
        f.previousFree = p->GetPartitionType() == 0;
        f.previousStart = p->GetStartSector();
    }
    return f;
}

void CEditPartitionPage::InitPage()
{
    if (GtkWidget* dlg = m_wizard->GetDlg())
        gtk_widget_queue_draw(dlg);
    m_ntfsMinimum = kPageNtfsMinimum;
    TagRestoreInfo* info = m_wizard->GetParam();
    if (m_built || info->pTargetItem == nullptr)
        return;
    m_built = true;
    if (info->nLastPage == RESTORE_PAGE_RESTORE_MODE)
        CEditPartitionBack::RememberTarget(*info);
    CEditPartitionBack::DescribeNewPartition(*info);

    GtkWidget* area = GetFunctionArea();
    GtkWidget* title = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(title), "Please specify the size and location. You can change it with the mouse "
                                           "in the graphical view or \nenter the exact values in the text boxes.");
    gtk_misc_set_alignment(GTK_MISC(title), 0, 0);
    gtk_box_pack_start(GTK_BOX(area), title, FALSE, FALSE, 4);

    GtkWidget* frame = gtk_frame_new("");
    GtkWidget* inner = gtk_vbox_new(FALSE, 0);
    gtk_container_set_border_width(GTK_CONTAINER(inner), 5);
    gtk_container_add(GTK_CONTAINER(frame), inner);
    m_block.reset(new CMoveResizeDeviceBlock);
    m_minLabel = gtk_label_new(" ");
    m_maxLabel = gtk_label_new(" ");
    GtkWidget* halves = gtk_hbox_new(TRUE, 0);
    GtkWidget* captions = gtk_vbox_new(FALSE, 0);
    GtkWidget* spins = gtk_vbox_new(FALSE, 0);
    GtkWidget* units = gtk_vbox_new(FALSE, 0);
    for (int i = 0; i < 3; ++i) {
        m_captions[i] = gtk_label_new_with_mnemonic(kCaptions[i]);
        gtk_misc_set_alignment(GTK_MISC(m_captions[i]), 1, 0.5);
        gtk_box_pack_start(GTK_BOX(captions), m_captions[i], FALSE, FALSE, 7);
        gtk_box_pack_start(GTK_BOX(spins), m_spins[i]->GetEventBoxWidget(), FALSE, FALSE, 3);
        gtk_box_pack_start(GTK_BOX(units), gtk_label_new("MB"), FALSE, FALSE, 7);
    }
    GtkWidget* left = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_end(GTK_BOX(left), captions, FALSE, FALSE, 0);
    GtkWidget* right = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(right), spins, FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(right), units, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(halves), left, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(halves), right, TRUE, TRUE, 0);

    InitPartitionItem(info->pTargetItem);
    gtk_box_pack_start(GTK_BOX(inner), m_block->GetDeviceBlock(), FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(inner), m_minLabel, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(inner), m_maxLabel, FALSE, FALSE, 30);
    gtk_box_pack_start(GTK_BOX(inner), halves, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(area), frame, FALSE, FALSE, 0);
    CalulateLabelSize();
    for (int i = 0; i < 3; ++i)
        gtk_label_set_mnemonic_widget(GTK_LABEL(m_captions[i]), m_spins[i]->GetSpinWidget());
    gtk_widget_show_all(area);
}

void CEditPartitionPage::InitPartitionItem(IManagerItem* item)
{
    m_item = item;
    m_manager = CMoveResizeManager(true);
    m_manager.InitManager(item);
    m_manager.SetMoveResizeInterface(this);
    InitSpinButtons(item);
}

void CEditPartitionPage::InitSpinButtons(IManagerItem* item)
{
    auto* entry = QueryItem<IPartitionEntry>(item);
    const double size = entry != nullptr ? SectorsToMB(entry->GetSectorCount()) : 0;
    IManagerItem* previous = nullptr;
    IManagerItem* next = nullptr;
    FindPreAndNextItem(&previous, &next, item);
    auto* p = QueryItem<IPartitionEntry>(previous);
    auto* n = QueryItem<IPartitionEntry>(next);
    const double before = (p != nullptr && p->GetPartitionType() == 0) ? SectorsToMB(p->GetSectorCount()) : 0;
    const double after = (n != nullptr && n->GetPartitionType() == 0) ? SectorsToMB(n->GetSectorCount()) : 0;
    m_maximum = before + size + after;
    const EditItemFacts facts = ItemFacts();
    const double step = SectorsToMB(uint64_t(facts.tracksPerCylinder) * facts.sectorsPerTrack) + 0.1;
    const double values[3] = {before, size, after};
    m_setting = true;
    for (int i = 0; i < 3; ++i) {
        const bool fixed = Locked() || (SectorBySector() && i == 1);
        // A spin button's adjustment has no page size (the toolkit warns of any other).
        m_spins[i]->Init(values[i], fixed ? values[i] : 0, fixed ? values[i] : m_maximum, step, -1.0, 0.0);
    }
    m_setting = false;
    m_block->SetMoveResizeManager(&m_manager);
    m_block->InitMoveResizeDlg(item);
    if (SectorBySector())
        m_block->SetEstopSign(1);
    if (Locked() || IsCdromImagePath(m_wizard->GetParam()->szImagePath)) {
        m_block->SetEstopSign(1);
        m_block->SetMoveStopSign(1);
    }
    g_signal_connect(m_spins[0]->GetSpinWidget(), "value-changed", G_CALLBACK(OnBFSpinBtnValueChanged), this);
    g_signal_connect(m_spins[1]->GetSpinWidget(), "value-changed", G_CALLBACK(OnSizeSpinBtnValueChanged), this);
    g_signal_connect(m_spins[2]->GetSpinWidget(), "value-changed", G_CALLBACK(OnAFSpinBtnValueChanged), this);
}

void CEditPartitionPage::CalulateLabelSize()
{
    const TagRestoreInfo* info = m_wizard->GetParam();
    const _KS_VOLUME* v = info->FirstVolume();
    if (v == nullptr)
        return;
    const EditPartitionArithmetic::SizeLabels labels = EditPartitionArithmetic::Labels(
        *v, m_maximum, SectorBySector(), info->bMakeActive != 0, static_cast<uint64_t>(info->llFreeSectorsBefore),
        CEditPartitionBack::TargetSectors(), static_cast<uint64_t>(info->llFreeSectorsAfter), m_ntfsMinimum);
    gtk_label_set_text(GTK_LABEL(m_minLabel), labels.minimum.c_str());
    gtk_label_set_text(GTK_LABEL(m_maxLabel), labels.maximum.c_str());
}

void CEditPartitionPage::OnSpin(int which)
{
    if (m_setting || Locked() || (which == 1 && SectorBySector()))
        return;
    MOVERESIZE_MANAGER_PARAM now{};
    m_manager.GetOutParam(now);
    const double v = m_spins[which]->GetValue();
    const double current[3] = {now.dPreSize, now.dCurSize, now.dNextSize};
    if (which != 1 && std::fabs(v - current[which]) < 0.1)
        return;
    double total = now.dPreSize + now.dCurSize + now.dNextSize - current[which] + v;
    if (std::fabs(m_maximum - total) < kMBEpsilon)
        return;
    const double excess = total - m_maximum;
    bool accepted = false;
    if (which == 0)
        accepted = excess >= kMBEpsilon ? m_manager.IfPrePartitionCanAdded(v) : m_manager.IfPrePartitionCanReduced(v);
    else if (which == 2)
        accepted = excess >= kMBEpsilon ? m_manager.IfPrePartitionCanReduced(now.dPreSize - excess)
                                        : m_manager.IfPrePartitionCanAdded(now.dPreSize - excess);
    else {
        const double value = std::fabs(v - m_maximum) < 0.1 ? m_maximum : v;
        accepted = excess >= kMBEpsilon ? m_manager.IfCurPartitionCanAdded(value, false, false)
                                        : m_manager.IfCurPartitionCanReduced(value, false, false);
    }
    if (accepted && which == 0) {
        m_manager.UpdateUi(true, true);
        return;
    }
    if (!accepted) {
        m_setting = true;
        m_spins[which]->SetValue(v - excess);
        m_setting = false;
    }
}

void CEditPartitionPage::OnBFSpinBtnValueChanged(GtkSpinButton*, gpointer self)
{
    static_cast<CEditPartitionPage*>(self)->OnSpin(0);
}

void CEditPartitionPage::OnSizeSpinBtnValueChanged(GtkSpinButton*, gpointer self)
{
    static_cast<CEditPartitionPage*>(self)->OnSpin(1);
}

void CEditPartitionPage::OnAFSpinBtnValueChanged(GtkSpinButton*, gpointer self)
{
    static_cast<CEditPartitionPage*>(self)->OnSpin(2);
}

void CEditPartitionPage::UpdateDlg(const MOVERESIZ_DLG_INFO& info, bool redraw, bool setSpins)
{
    if (m_block != nullptr) {
        if (redraw) {
            m_block->SetDragInvalidation(0);
            m_block->SetFileSystem(static_cast<enumFILE_SYSTEM_TYPE>(info.fileSystem));
            m_block->SetBlockLength(info.dPreSize, info.dCurSize, info.dNextSize, SectorsToMB(info.u64UsedSectors));
        }
        m_block->SetFileSystem(static_cast<enumFILE_SYSTEM_TYPE>(info.fileSystem));
    }
    if (setSpins) {
        m_setting = true;
        m_spins[0]->SetValue(info.dPreSize);
        m_spins[1]->SetValue(info.dCurSize);
        m_spins[2]->SetValue(info.dNextSize);
        m_setting = false;
    }
}

void CEditPartitionPage::PromptNotEnoughSpace()
{
    CGtkMessageBox box(m_wizard->GetDlg(), "Error", GTK_MB_ICON_ERROR, GTK_MB_OK,
                       "The free space is not enough, please clean up your partition.");
    box.RunDlg();
    box.DestoryDlg();
}

int CEditPartitionPage::GetOutParam(MOVE_RESIZE_OPERATION_PARAM& out)
{
    const EditItemFacts item = ItemFacts();
    MOVERESIZE_MANAGER_PARAM sizes{};
    m_manager.GetOutParam(sizes);
    m_operation = EditPartitionArithmetic::Operation(item, sizes, m_manager.IfNeedCorrectPartitionSize());
    if (EditPartitionArithmetic::IsNudge(item, m_operation))
        out = m_operation;
    if (!SectorBySector()) {
        if (!m_manager.GetCorrectedParam(m_item, m_operation, out))
            return 0;
    } else {
        out = m_operation;
    }
    return (out.u64FirstSector != item.start || out.u64LastSector != item.start + item.sectors - 1) ? 1 : 0;
}

int CEditPartitionPage::UpDate()
{
    TagRestoreInfo* info = m_wizard->GetParam();
    if (info->pTargetItem == nullptr || m_item == nullptr)
        return -1;
    MOVE_RESIZE_OPERATION_PARAM op{};
    op.fileSystem = info->newPartition.FileSystem;
    op.u32SectorsPerCluster = info->newPartition.SectorsPerCluster;
    op.u64FirstSector = info->newPartition.FirstSector;
    op.u64LastSector = info->newPartition.LastSector;
    GetOutParam(op);
    // The room before the target's data in its slot (a primary's hidden sectors count
    // from sector 0, layout/PartitionSlot.h).
    const EditItemFacts facts = ItemFacts();
    const __PARTITION_INFO_CMD& target = info->targetPartition;
    const uint64_t roomBefore =
        target.StartSector - PartitionSlotFirst(target.Primary != 0, target.StartSector, target.HiddenSectors,
                                                facts.sectorsPerTrack);
    EditPartitionArithmetic::ApplyEdit(op, facts, info->bMakeActive != 0, info->bMakePrimary != 0, roomBefore,
                                       SectorBySector(), Locked(), info->newPartition);
    return 0;
}

void CEditPartitionPage::OnNextClicked()
{
    if (UpDate() != 0)
        return;
    TagRestoreInfo* info = m_wizard->GetParam();
    info->nLastPage = RESTORE_PAGE_EDIT_PARTITION;
    info->targetPartition.DriveLetter = '*';
    m_wizard->OnNext();
}

void CEditPartitionPage::OnBackClicked()
{
    TagRestoreInfo* info = m_wizard->GetParam();
    IManagerItem* item = info->pTargetItem;
    auto* geometry = item != nullptr ? QueryItem<IDiskGeometry>(item->GetParent()) : nullptr;
    if (geometry == nullptr)
        return;
    if (CEditPartitionBack::Undo(*info, geometry->GetSectorsPerTrack()))
        m_wizard->OnBack();
}

void CEditPartitionPage::OnHelpClicked() { m_wizard->OnHelp(); }
void CEditPartitionPage::OnQuitClicked() { m_wizard->DestoryDlg(); }
