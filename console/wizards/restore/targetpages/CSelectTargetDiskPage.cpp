#include "CSelectTargetDiskPage.h"

#include "CDiskPanel.h"
#include "CScrollBar.h"
#include "ConsoleMessage.h"
#include "IWizard.h"
#include "PartitionRules.h"
#include "RecoveryEnv.h"
#include "ResPicture.h"
#include "RestorePagePosition.h"
#include "TagRestoreInfo.h"

namespace {

enum { kColIcon, kColDrive, kColCapacity, kColModel, kColInterface, kColDisk, kColCount };

void AddTextColumn(GtkWidget* list, const char* title, int column, int width)
{
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    GtkTreeViewColumn* c = gtk_tree_view_column_new_with_attributes(title, text, "text", column, nullptr);
    gtk_tree_view_column_set_sizing(c, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(c, width);
    gtk_tree_view_column_set_resizable(c, TRUE);
    gtk_tree_view_column_set_clickable(c, TRUE);
    gtk_tree_view_append_column(GTK_TREE_VIEW(list), c);
}

} // namespace

CSelectTargetDiskPage::CSelectTargetDiskPage(IWizard* wizard)
    : CBaseWizardPage(wizard), m_logic(wizard, ConsoleMessage(wizard->GetDlg())), m_scroll(new CScrollBar)
{
    GtkWidget* box = gtk_vbox_new(FALSE, 0);
    GtkWidget* title = gtk_drawing_area_new();
    gtk_widget_set_size_request(title, 640, 30);
    g_signal_connect(title, "expose_event", G_CALLBACK(DisplayText), this);
    gtk_box_pack_start(GTK_BOX(box), title, FALSE, FALSE, 0);

    m_store = gtk_list_store_new(kColCount, GDK_TYPE_PIXBUF, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
                                 G_TYPE_STRING, G_TYPE_INT);
    m_list = gtk_tree_view_new_with_model(GTK_TREE_MODEL(m_store));
    GtkCellRenderer* icon = gtk_cell_renderer_pixbuf_new();
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    GtkTreeViewColumn* drive = gtk_tree_view_column_new();
    gtk_tree_view_column_set_title(drive, "Drive");
    gtk_tree_view_column_pack_start(drive, icon, FALSE);
    gtk_tree_view_column_add_attribute(drive, icon, "pixbuf", kColIcon);
    gtk_tree_view_column_pack_start(drive, text, TRUE);
    gtk_tree_view_column_add_attribute(drive, text, "text", kColDrive);
    gtk_tree_view_column_set_sizing(drive, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(drive, 110);
    gtk_tree_view_append_column(GTK_TREE_VIEW(m_list), drive);
    AddTextColumn(m_list, "Capacity", kColCapacity, 110);
    AddTextColumn(m_list, "Model", kColModel, 190);
    AddTextColumn(m_list, "Interface", kColInterface, 130);
    g_signal_connect(m_list, "cursor-changed", G_CALLBACK(RowChangedCallBack), this);

    GtkWidget* scrolled = m_scroll->GetScrollBarWidget();
    m_scroll->SetScrollBarPolicy(scrolled, GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(scrolled), m_list);
    gtk_widget_set_size_request(scrolled, 640, 200);
    gtk_box_pack_start(GTK_BOX(box), scrolled, FALSE, FALSE, 0);

    m_barBox = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), m_barBox, FALSE, FALSE, 0);
    GtkWidget* legend = gtk_drawing_area_new();
    gtk_widget_set_size_request(legend, 640, 40);
    g_signal_connect(legend, "expose_event", G_CALLBACK(DisplayIconColor), this);
    gtk_box_pack_start(GTK_BOX(box), legend, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(GetFunctionArea()), box, TRUE, TRUE, 0);
}

CSelectTargetDiskPage::~CSelectTargetDiskPage()
{
    if (m_store != nullptr)
        g_object_unref(m_store);
}

void CSelectTargetDiskPage::FillList()
{
    m_filling = true;
    gtk_list_store_clear(m_store);
    GdkPixbuf* icon = gdk_pixbuf_new_from_file("../res/disk-16x16.png", nullptr);
    const int count = m_logic.DiskCount();
    for (int d = 0; d < count; ++d) {
        // A disk that is not there can take no restore: it gets no row, and the rows
        // after it keep their disks' numbers.
        if (!m_logic.DiskPresent(d))
            continue;
        const _KS_DISK_INFO disk = m_logic.DiskRecord(d);
        std::string interfaceText;
        GetDiskInterfaceType(static_cast<_Interface_Type>(disk.InterfaceType), interfaceText);
        GtkTreeIter row;
        gtk_list_store_append(m_store, &row);
        gtk_list_store_set(m_store, &row, kColIcon, icon, kColDrive, ("Disk " + std::to_string(d + 1)).c_str(),
                           kColCapacity, GetFileSizeString(static_cast<long long>(disk.TotalSectors * 512)).c_str(),
                           kColModel, disk.ModelName, kColInterface, interfaceText.c_str(), kColDisk, d, -1);
    }
    if (icon != nullptr)
        g_object_unref(icon);
    m_filling = false;
}

int CSelectTargetDiskPage::SelectedDisk() const
{
    GtkTreeModel* model = nullptr;
    GtkTreeIter iter;
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(m_list));
    if (!gtk_tree_selection_get_selected(selection, &model, &iter))
        return -1;
    int disk = -1;
    gtk_tree_model_get(model, &iter, kColDisk, &disk, -1);
    return disk;
}

int CSelectTargetDiskPage::RowOfDisk(int disk) const
{
    GtkTreeIter iter;
    int row = 0;
    for (gboolean more = gtk_tree_model_get_iter_first(GTK_TREE_MODEL(m_store), &iter); more;
         more = gtk_tree_model_iter_next(GTK_TREE_MODEL(m_store), &iter), ++row) {
        int listed = -1;
        gtk_tree_model_get(GTK_TREE_MODEL(m_store), &iter, kColDisk, &listed, -1);
        if (listed == disk)
            return row;
    }
    return -1;
}

void CSelectTargetDiskPage::ShowDiskBar(int disk)
{
    m_bar.reset(new CDiskPanel);
    m_bar->InitOneDiskPanel(static_cast<unsigned long long>(disk), 0, 640);
    gtk_container_foreach(GTK_CONTAINER(m_barBox), [](GtkWidget* w, gpointer box) {
        gtk_container_remove(GTK_CONTAINER(box), w);
    }, m_barBox);
    if (GtkWidget* bar = m_bar->GetDiskPanel()) {
        gtk_box_pack_start(GTK_BOX(m_barBox), bar, FALSE, FALSE, 0);
        gtk_widget_show_all(m_barBox);
    }
}

void CSelectTargetDiskPage::InitPage()
{
    const bool fromImagePage = m_wizard->GetParam()->nLastPage == RESTORE_PAGE_IMAGE_PARTITION;
    if (fromImagePage)
        FillList();
    const int disk = m_logic.InitPage();
    const int row = disk >= 0 ? RowOfDisk(disk) : -1;
    if (row >= 0) {
        GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
        m_filling = true;
        gtk_tree_view_set_cursor(GTK_TREE_VIEW(m_list), path, nullptr, FALSE);
        m_filling = false;
        gtk_tree_path_free(path);
        ShowDiskBar(disk);
    }
    if (GtkWidget* dlg = m_wizard->GetDlg())
        gtk_widget_queue_draw(dlg);
}

void CSelectTargetDiskPage::RowChangedCallBack(GtkTreeView*, gpointer self)
{
    auto* page = static_cast<CSelectTargetDiskPage*>(self);
    if (page->m_filling)
        return;
    const int disk = page->SelectedDisk();
    if (disk >= 0)
        page->ShowDiskBar(disk);
    page->m_logic.RowChanged(disk);
}

int CSelectTargetDiskPage::UpDate()
{
    if (GtkWidget* head = m_wizard->GetHeadBox())
        gtk_widget_hide(head);
    if (GtkWidget* container = m_wizard->GetContainer())
        gtk_widget_set_size_request(container, 640, 430);
    return m_logic.UpDate(SelectedDisk());
}

void CSelectTargetDiskPage::OnNextClicked()
{
    if (GtkWidget* head = m_wizard->GetHeadBox())
        gtk_widget_hide(head);
    if (GtkWidget* container = m_wizard->GetContainer())
        gtk_widget_set_size_request(container, 640, 430);
    if (!m_logic.OnNextClicked(SelectedDisk())) {
        if (GtkWidget* head = m_wizard->GetHeadBox())
            gtk_widget_show(head);
    }
}

void CSelectTargetDiskPage::OnHelpClicked() { m_wizard->OnHelp(); }
void CSelectTargetDiskPage::OnBackClicked() { m_wizard->SetCurrentPage(RESTORE_PAGE_IMAGE_PARTITION); }
void CSelectTargetDiskPage::OnQuitClicked() { m_wizard->DestoryDlg(); }

gboolean CSelectTargetDiskPage::DisplayText(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_select_font_face(cr, "SimSun", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    cairo_move_to(cr, widget->allocation.x, widget->allocation.y + 15);
    cairo_show_text(cr, "Select a hard disk drive to restore");
    cairo_destroy(cr);
    return FALSE;
}

gboolean CSelectTargetDiskPage::DisplayIconColor(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    const GtkAllocation& a = widget->allocation;
    cairo_set_source_rgb(cr, 0.902, 0.918, 0.863);
    cairo_rectangle(cr, a.x + 6, a.y, a.width - 6, a.height);
    cairo_fill(cr);
    PaintResPicture(cr, "../res/partition-color.png", a.x + 6, a.y + 5);
    cairo_destroy(cr);
    return FALSE;
}
