// The target disk page: the machine's disks in a list, the chosen disk's partitions
// in a bar under it. A listed disk that is not there gets no row; the others keep
// their numbers. Its decisions are CTargetDiskPageLogic's.
#pragma once

#include <memory>

#include "CBaseWizardPage.h"
#include "CTargetDiskPageLogic.h"

class CDiskPanel;
class CScrollBar;

class CSelectTargetDiskPage : public CBaseWizardPage {
public:
    explicit CSelectTargetDiskPage(IWizard* wizard);
    ~CSelectTargetDiskPage() override;

    int IsValid() override { return 0; }
    void InitPage() override;
    int UpDate() override;
    void OnHelpClicked() override;
    void OnBackClicked() override;
    void OnNextClicked() override;
    void OnQuitClicked() override;

    GtkWidget* GetListView() const { return m_list; }
    CTargetDiskPageLogic& Logic() { return m_logic; }

private:
    void FillList();
    // The disk number of the selected row, -1 when none is selected.
    int SelectedDisk() const;
    // The row that lists the disk, -1 when none does.
    int RowOfDisk(int disk) const;
    void ShowDiskBar(int disk);
    static void RowChangedCallBack(GtkTreeView* view, gpointer self);
    static gboolean DisplayText(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean DisplayIconColor(GtkWidget* widget, GdkEventExpose* event, gpointer self);

    CTargetDiskPageLogic m_logic;
    std::unique_ptr<CScrollBar> m_scroll;
    std::unique_ptr<CDiskPanel> m_bar;
    GtkWidget* m_list = nullptr;
    GtkListStore* m_store = nullptr;
    GtkWidget* m_barBox = nullptr;
    bool m_filling = false;
};
