#include "CImageVolListBase.h"

#include <cstring>

#include "PartitionRules.h"

CImageVolListBase::CImageVolListBase(bool showCheckBoxes, const ImageListColumns& columns)
    : m_showCheckBoxes(showCheckBoxes), m_columns(columns)
{
}

int CImageVolListBase::CollectCheckedVolumes()
{
    m_checked.clear();
    ForEachCheckedChild(m_columns.checked, [this](GtkTreeIter* child) {
        m_checked.push_back(static_cast<_KS_VOLUME*>(PointerAt(child, m_columns.record)));
    });
    return static_cast<int>(m_checked.size());
}

bool CImageVolListBase::CopyCheckedVolume(uint16_t n, _KS_VOLUME& out) const
{
    if (n >= m_checked.size() || m_checked[n] == nullptr)
        return false;
    std::memcpy(&out, m_checked[n], sizeof out);
    return true;
}

const _KS_VOLUME* CImageVolListBase::SelectedRecord() const
{
    GtkTreeIter iter;
    if (!SelectedIter(&iter))
        return nullptr;
    return static_cast<const _KS_VOLUME*>(PointerAt(&iter, m_columns.record));
}

bool CImageVolListBase::IsHighlighted(GtkTreeIter* iter) const
{
    GtkTreeIter selected;
    if (!SelectedIter(&selected))
        return false;
    return IntAt(&selected, m_columns.disk) == IntAt(iter, m_columns.disk) &&
           IntAt(&selected, m_columns.part) == IntAt(iter, m_columns.part);
}

void CImageVolListBase::DrawImageRows(cairo_t* cr, int childHeight, bool swatchWithoutRecord)
{
    GtkTreeIter root;
    bool more = Store() != nullptr && gtk_tree_model_get_iter_first(Model(), &root);
    for (; more; more = gtk_tree_model_iter_next(Model(), &root)) {
        CellLook disk;
        disk.selected = IsHighlighted(&root);
        disk.drawCheck = m_showCheckBoxes;
        disk.checked = IntAt(&root, m_columns.checked) != 0;
        DrawDiskRow(cr, &root, TextAt(&root, m_columns.title), disk);
        if (!RowExpanded(&root))
            continue;
        GtkTreeIter child;
        bool has = gtk_tree_model_iter_children(Model(), &child, &root);
        for (; has; has = gtk_tree_model_iter_next(Model(), &child)) {
            CellLook look;
            look.selected = IsHighlighted(&child);
            look.drawCheck = m_showCheckBoxes;
            look.checked = IntAt(&child, m_columns.checked) != 0;
            look.forcedHeight = childHeight;
            const auto* record = static_cast<const _KS_VOLUME*>(PointerAt(&child, m_columns.record));
            if (record != nullptr) {
                look.swatch = true;
                look.swatchColour =
                    ImageListSwatchColour(GetFileSysTypeFromVoltype(record->FileSystem), record->PartitionType);
            } else if (swatchWithoutRecord) {
                look.swatch = true;
                look.swatchColour = ImageListSwatchColour(-1, 0);
            } else {
                // A row without a volume ("MBR and Track 0") says what it is once,
                // across the Partition and Type columns.
                look.spanFirstTwo = true;
            }
            DrawChildCells(cr, &child, look);
        }
    }
}
