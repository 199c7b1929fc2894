// The check rules of the console's checkable tree lists, on a plain picture of the
// tree: disk rows at the root, their partitions (or volumes) as children.
#pragma once

#include <vector>

struct CheckTree {
    struct Disk {
        bool checked = false;
        std::vector<bool> children;
    };
    std::vector<Disk> disks;
};

// A row of the tree: child -1 is the disk row itself.
struct CheckRow {
    int disk;
    int child;
};

// Any number of rows on any number of disks: a toggled child leaves its disk row
// checked exactly when every child of that disk is checked; a toggled disk row hands
// its new state to all of its children. Other disks are left alone. The device list
// and the check-image volume list check this way.
void ToggleAcrossDisks(CheckTree& tree, CheckRow row);

// One whole disk, or exactly one child of one disk: a child that becomes checked
// unchecks its siblings, a checked child cannot be unchecked by itself, a disk row
// hands its state to its children, and every other disk is cleared. The restore volume
// list checks this way. Answers whether the row went from unchecked to checked.
bool ToggleOneVolumeOrOneDisk(CheckTree& tree, CheckRow row);
