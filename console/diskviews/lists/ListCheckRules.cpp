#include "ListCheckRules.h"

#include <algorithm>

namespace {

bool Valid(const CheckTree& tree, CheckRow row)
{
    if (row.disk < 0 || static_cast<size_t>(row.disk) >= tree.disks.size())
        return false;
    return row.child < 0 || static_cast<size_t>(row.child) < tree.disks[row.disk].children.size();
}

bool AllChecked(const std::vector<bool>& rows)
{
    return std::all_of(rows.begin(), rows.end(), [](bool checked) { return checked; });
}

void ClearOtherDisks(CheckTree& tree, int keep)
{
    for (size_t d = 0; d < tree.disks.size(); ++d) {
        if (static_cast<int>(d) == keep)
            continue;
        tree.disks[d].checked = false;
        std::fill(tree.disks[d].children.begin(), tree.disks[d].children.end(), false);
    }
}

} // namespace

void ToggleAcrossDisks(CheckTree& tree, CheckRow row)
{
    if (!Valid(tree, row))
        return;
    CheckTree::Disk& disk = tree.disks[row.disk];
    if (row.child < 0) {
        disk.checked = !disk.checked;
        std::fill(disk.children.begin(), disk.children.end(), disk.checked);
        return;
    }
    disk.children[row.child] = !disk.children[row.child];
    disk.checked = disk.children[row.child] && AllChecked(disk.children);
}

bool ToggleOneVolumeOrOneDisk(CheckTree& tree, CheckRow row)
{
    if (!Valid(tree, row))
        return false;
    CheckTree::Disk& disk = tree.disks[row.disk];
    bool wasChecked;
    if (row.child < 0) {
        wasChecked = disk.checked;
        disk.checked = !disk.checked;
        std::fill(disk.children.begin(), disk.children.end(), disk.checked);
    } else {
        wasChecked = disk.children[row.child];
        // Checked or not before, the row ends up the disk's only checked child: a
        // single row cannot be unchecked by itself.
        std::fill(disk.children.begin(), disk.children.end(), false);
        disk.children[row.child] = true;
        disk.checked = AllChecked(disk.children);
    }
    ClearOtherDisks(tree, row.disk);
    const bool nowChecked = row.child < 0 ? disk.checked : true;
    return !wasChecked && nowChecked;
}
