// The three lists' check rules on plain trees: each case starts from a tree, toggles
// one row, and names the whole tree afterwards.
#include <gtest/gtest.h>

#include <string>

#include "ListCheckRules.h"

namespace {

// "1|10|0|": disk rows separated by '|', each the disk's own mark then its children's.
CheckTree TreeOf(const std::string& text)
{
    CheckTree tree;
    CheckTree::Disk disk;
    bool first = true;
    for (char c : text) {
        if (c == '|') {
            tree.disks.push_back(disk);
            disk = CheckTree::Disk();
            first = true;
            continue;
        }
        if (first)
            disk.checked = c == '1';
        else
            disk.children.push_back(c == '1');
        first = false;
    }
    return tree;
}

std::string TextOf(const CheckTree& tree)
{
    std::string text;
    for (const CheckTree::Disk& d : tree.disks) {
        text += d.checked ? '1' : '0';
        for (bool c : d.children)
            text += c ? '1' : '0';
        text += '|';
    }
    return text;
}

struct ToggleCase {
    const char* before;
    CheckRow row;
    const char* after;
    const char* why;
};

} // namespace

TEST(ToggleAcrossDisks, ParentFollowsItsChildrenAndDisksStayApart)
{
    const ToggleCase cases[] = {
        {"0000|0000|", {0, 1}, "0010|0000|", "one partition"},
        {"0011|0000|", {0, 0}, "1111|0000|", "the last unchecked partition checks the disk"},
        {"1111|0000|", {0, 2}, "0110|0000|", "unchecking any partition unchecks the disk"},
        {"0010|0000|", {0, -1}, "1111|0000|", "a disk hands its new state to every child"},
        {"1111|0000|", {0, -1}, "0000|0000|", "and takes it back"},
        {"1111|0100|", {1, 0}, "1111|0000|", "other disks are left alone"},
        {"0|", {0, -1}, "1|", "a disk without partitions"},
        {"01|", {0, 0}, "00|", "the only partition unchecked"},
        {"00|", {0, 0}, "11|", "the only partition checked"},
        {"0000|", {0, 3}, "0000|", "a row that is not there changes nothing"},
        {"0000|", {2, -1}, "0000|", "nor does a disk that is not there"},
    };
    for (const ToggleCase& c : cases) {
        CheckTree tree = TreeOf(c.before);
        ToggleAcrossDisks(tree, c.row);
        EXPECT_EQ(c.after, TextOf(tree)) << c.why;
    }
}

TEST(ToggleOneVolumeOrOneDisk, OneWholeDiskOrOneRowOfOneDisk)
{
    struct Case {
        ToggleCase toggle;
        bool becameChecked;
    };
    const Case cases[] = {
        {{"0000|0000|", {0, 1}, "0010|0000|", "one partition"}, true},
        {{"0010|0000|", {0, 2}, "0001|0000|", "a second partition unchecks the first"}, true},
        {{"0010|0000|", {0, 1}, "0010|0000|", "the only checked row stays checked"}, false},
        {{"1111|0000|", {1, 0}, "0000|0100|", "a partition of disk 2 clears all of disk 1"}, true},
        {{"0010|0000|", {1, -1}, "0000|1111|", "a disk row checks all its children, others cleared"}, true},
        {{"1111|0000|", {0, -1}, "0000|0000|", "a checked disk row unchecks its children"}, false},
        {{"1111|0000|", {0, 2}, "0001|0000|", "a row of a fully checked disk keeps only itself"}, false},
        {{"01|", {0, 0}, "11|", "the one row of a disk checks the disk row too"}, false},
        {{"00|", {0, 0}, "11|", "and does from unchecked"}, true},
        {{"0000|", {0, 7}, "0000|", "a row that is not there changes nothing"}, false},
    };
    for (const Case& c : cases) {
        CheckTree tree = TreeOf(c.toggle.before);
        EXPECT_EQ(c.becameChecked, ToggleOneVolumeOrOneDisk(tree, c.toggle.row)) << c.toggle.why;
        EXPECT_EQ(c.toggle.after, TextOf(tree)) << c.toggle.why;
    }
}
