#include "ItemPicture.h"
#include "SideBarRows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SideBarRows, PicturesAndDisabledRows)
{
    struct Case {
        int row;
        const char* normal;
        const char* hover;
        const char* pressed;
        const char* disabled;
        bool isDisabled;
    };
    const Case cases[] = {
        {kRowMount, "../res/menu-mount-disable.png", "../res/menu-mount-disable.png",
         "../res/menu-mount-disable.png", "../res/menu-mount-disable.png", true},
        {kRowUnmount, "../res/menu-unmount-disable.png", "../res/menu-unmount-disable.png",
         "../res/menu-unmount-disable.png", "../res/menu-unmount-disable.png", true},
        {kRowCheck, "../res/menu-check-normal.png", "../res/menu-check-hover.png", "../res/menu-check-click.png",
         "../res/menu-check-click.png", false},
        {kRowOption, "../res/menu-option-disable.png", "../res/menu-option-disable.png",
         "../res/menu-option-disable.png", "../res/menu-option-disable.png", true},
        {kRowBackup, "../res/menu-backup-disable.png", "../res/menu-backup-disable.png",
         "../res/menu-backup-disable.png", "../res/menu-backup-disable.png", true},
        {kRowRestore, "../res/menu-restore-normal.png", "../res/menu-restore-hover.png",
         "../res/menu-restore-click.png", "../res/menu-restore-click.png", false},
        {kRowClone, "../res/menu-clone-normal.png", "../res/menu-clone-hover.png", "../res/menu-clone-click.png",
         "../res/menu-clone-click.png", false},
    };
    for (const Case& c : cases) {
        const SideBarRowPictures& entry = OperationRow(c.row);
        EXPECT_STREQ(entry.normal, c.normal);
        EXPECT_STREQ(entry.hover, c.hover);
        EXPECT_STREQ(entry.pressed, c.pressed);
        EXPECT_STREQ(entry.disabledPicture, c.disabled);
        EXPECT_EQ(entry.disabled, c.isDisabled) << c.row;
    }
    EXPECT_STREQ(HelpRow().normal, "../res/menu-contents-normal.png");
    EXPECT_FALSE(HelpRow().disabled);
    EXPECT_STREQ(OperationHeadPictures()[5], "../res/down_press.png");
    EXPECT_STREQ(HelpHeadPictures()[4], "../res/menu-help-up-click.png");
}

TEST(SideBarRows, WhatAClickOrEnterStartsOnEachOperationRow)
{
    struct Case {
        int row;
        RowStart press;
        RowStart enter;
        bool enterHandled;
    };
    const Case cases[] = {
        {kRowMount, RowStart::None, RowStart::None, true}, // Enter swallowed
        {kRowUnmount, RowStart::None, RowStart::None, false},
        {kRowCheck, RowStart::CheckImage, RowStart::CheckImageWizardOnly, true},
        {kRowOption, RowStart::None, RowStart::None, false},
        {kRowBackup, RowStart::None, RowStart::None, false},
        {kRowRestore, RowStart::Restore, RowStart::Restore, true},
        {kRowClone, RowStart::Clone, RowStart::Clone, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OperationRowPress(c.row, 1).start, c.press) << c.row;
        EXPECT_EQ(OperationRowPress(c.row, 2).start, c.press) << c.row;
        EXPECT_EQ(OperationRowPress(c.row, kRowRightButton).start, RowStart::None) << c.row;
        EXPECT_FALSE(OperationRowPress(c.row, 1).handled) << c.row;
        const RowReaction enter = OperationRowKey(c.row, kRowEnterKey);
        EXPECT_EQ(enter.start, c.enter) << c.row;
        EXPECT_EQ(enter.handled, c.enterHandled) << c.row;
        const RowReaction other = OperationRowKey(c.row, ' ');
        EXPECT_EQ(other.start, RowStart::None) << c.row;
        EXPECT_FALSE(other.handled) << c.row;
    }
}

TEST(SideBarRows, ARightReleaseOnTheHelpRowSilencesEnterUntilAnotherRelease)
{
    g_bHelpRightPress = 0;
    EXPECT_EQ(HelpRowKey(kRowEnterKey).start, RowStart::Help);
    EXPECT_EQ(HelpRowRelease(kRowRightButton).start, RowStart::None);
    const RowReaction silenced = HelpRowKey(kRowEnterKey);
    EXPECT_EQ(silenced.start, RowStart::None);
    EXPECT_TRUE(silenced.handled);
    EXPECT_EQ(HelpRowRelease(1).start, RowStart::Help);
    EXPECT_EQ(HelpRowKey(kRowEnterKey).start, RowStart::Help);
    EXPECT_FALSE(HelpRowKey('a').handled);
}

TEST(ItemPicture, DisabledThenPressedThenHoverThenNormal)
{
    const ItemPictures p{"n.png", "h.png", "d.png", "p.png"};
    struct Case {
        bool disabled, pressed, hovering;
        const char* shown;
    };
    const Case cases[] = {{true, true, true, "d.png"},    {false, true, true, "p.png"},
                          {false, false, true, "h.png"},  {false, false, false, "n.png"}};
    for (const Case& c : cases) {
        const std::string* shown = ItemPictureFor(p, c.disabled, c.pressed, c.hovering);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(*shown, c.shown);
    }
    EXPECT_EQ(ItemPictureFor({"n.png", "", "d.png", "p.png"}, false, false, false), nullptr)
        << "a row without its hover picture paints nothing";
}

} // namespace
