#include "ToolBarButtons.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(ToolBarButtons, RowFromLeftToRightWithTipsAndActions)
{
    struct Expected {
        ToolBarButtonId id;
        const char* op;
        const char* tip;
        ToolBarAction action;
    };
    const Expected expected[] = {
        {kTbMount, "mount", "Mount images", ToolBarAction::None},
        {kTbUnmount, "unmount", "Unmount images", ToolBarAction::None},
        {kTbCheck, "check", "Check partitions", ToolBarAction::CheckImage},
        {kTbOption, "option", "Set some properties", ToolBarAction::None},
        {kTbBackup, "backup", "Backup partitions", ToolBarAction::None},
        {kTbRestore, "restore", "Restore a partition or a disk", ToolBarAction::Restore},
        {kTbClone, "clone", "Clone a disk", ToolBarAction::Clone},
        {kTbHelp, "help", "Show help contents", ToolBarAction::Help},
    };
    const auto& row = ToolBarRow();
    ASSERT_EQ(row.size(), sizeof(expected) / sizeof(expected[0]));
    for (size_t i = 0; i < row.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(row[i].id, expected[i].id);
        EXPECT_STREQ(row[i].op, expected[i].op);
        EXPECT_STREQ(row[i].tip, expected[i].tip);
        EXPECT_EQ(row[i].action, expected[i].action);
        EXPECT_EQ(&ToolBarButtonSpecOf(expected[i].id), &row[i]);
    }
}

TEST(ToolBarButtons, PicturePathsAndTheButtonsGreyedForGood)
{
    EXPECT_EQ(ToolBarPicturePath("check", "normal"), "../res/nav-check-normal.png");
    EXPECT_EQ(ToolBarPicturePath("check", "disable"), "../res/nav-check-disable.png");

    std::set<std::string> greyed;
    for (const ToolBarButtonSpec& spec : ToolBarRow()) {
        if (IsGreyedForGoodPicture(ToolBarPicturePath(spec.op, "normal").c_str()))
            greyed.insert(spec.op);
    }
    EXPECT_EQ(greyed, (std::set<std::string>{"backup", "mount", "unmount", "option"}));
    // The start page's backup picture too; comparison is exact.
    EXPECT_TRUE(IsGreyedForGoodPicture("../res/backup_normal.png"));
    EXPECT_FALSE(IsGreyedForGoodPicture("../res/restore_normal.png"));
    EXPECT_FALSE(IsGreyedForGoodPicture("../res/nav-backup-normal.png "));
    EXPECT_FALSE(IsGreyedForGoodPicture("res/nav-backup-normal.png"));
    EXPECT_FALSE(IsGreyedForGoodPicture(nullptr));
}

} // namespace
