#include "MenuBarItems.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ExpectedItem {
    MenuId menu;
    const char* label; // null: separator
    MenuItemKind kind;
    bool sensitive;
    bool active;
    MenuAction action;
    const char* status;
};

constexpr MenuItemKind kItem = MenuItemKind::Item;
constexpr MenuItemKind kCheck = MenuItemKind::Check;
constexpr MenuItemKind kSep = MenuItemKind::Separator;

const ExpectedItem kExpected[] = {
    {kMenuOperation, "_Backup...", kItem, false, false, MenuAction::None, "Backup partitions"},
    {kMenuOperation, "_Restore...", kItem, true, false, MenuAction::Restore, "Restore a partition or a disk"},
    {kMenuOperation, "_Clone...", kItem, true, false, MenuAction::Clone, "Clone a disk"},
    {kMenuOperation, nullptr, kSep, true, false, MenuAction::None, nullptr},
    {kMenuOperation, "_Mount...", kItem, false, false, MenuAction::None, "Mount images"},
    {kMenuOperation, "_Unmount...", kItem, false, false, MenuAction::None, "Unmount images"},
    {kMenuOperation, "C_heck image file...", kItem, true, false, MenuAction::CheckImage, "check images"},
    {kMenuOperation, nullptr, kSep, true, false, MenuAction::None, nullptr},
    {kMenuOperation, "_Exit", kItem, true, false, MenuAction::Exit, "Exit"},
    {kMenuView, "_Toolbar ", kCheck, true, true, MenuAction::ToggleToolBar, "Show or hide toolbar"},
    {kMenuView, "_Action Panel ", kCheck, true, true, MenuAction::ToggleSideBar, "Show or hide sidebar"},
    {kMenuTool, "_Option", kItem, false, false, MenuAction::None, "Set some properties"},
    {kMenuTool, "_Create Bootable Disk", kItem, false, false, MenuAction::None,
     "Launch the program that creates a bootable disk"},
    {kMenuHelp, "_Contents", kItem, true, false, MenuAction::HelpContents, "Show help contents"},
    {kMenuHelp, nullptr, kSep, true, false, MenuAction::None, nullptr},
    {kMenuHelp, "_User Guide(PDF)", kItem, false, false, MenuAction::None, "Show user guide"},
    {kMenuHelp, nullptr, kSep, true, false, MenuAction::None, nullptr},
    {kMenuHelp, "Ch_eck for update at startup", kCheck, false, false, MenuAction::None, "Check for update at startup"},
    {kMenuHelp, "Che_ck for update", kItem, false, false, MenuAction::None, "check latest update"},
    {kMenuHelp, nullptr, kSep, true, false, MenuAction::None, nullptr},
    {kMenuHelp, "_About", kItem, true, false, MenuAction::About,
     "Display program information,version number and copyright"},
};

std::string Text(const char* s)
{
    return s ? s : "(null)";
}

TEST(MenuBarItems, EveryItemInOrderWithItsStatusTextSensitivityAndAction)
{
    size_t seen[kMenuCount] = {};
    for (const ExpectedItem& want : kExpected) {
        const MenuEntry& menu = MenuBarMenu(want.menu);
        const size_t i = seen[want.menu]++;
        ASSERT_LT(i, menu.count) << Text(want.label);
        const MenuItemEntry& got = menu.items[i];
        EXPECT_EQ(Text(got.label), Text(want.label));
        EXPECT_EQ(got.kind, want.kind) << Text(want.label);
        EXPECT_EQ(got.sensitive, want.sensitive) << Text(want.label);
        EXPECT_EQ(got.active, want.active) << Text(want.label);
        EXPECT_EQ(got.action, want.action) << Text(want.label);
        EXPECT_EQ(Text(got.status), Text(want.status)) << Text(want.label);
    }
    for (int m = 0; m < kMenuCount; ++m)
        EXPECT_EQ(seen[m], MenuBarMenu(static_cast<MenuId>(m)).count) << "menu " << m << " has items not listed";
}

TEST(MenuBarItems, TopLabelsAndWhatLeavingAnItemWrites)
{
    struct Case {
        MenuId menu;
        const char* label;
        const char* deselect;
    };
    const Case cases[] = {
        {kMenuOperation, "_Operation", ""},
        {kMenuView, "_View", ""},
        {kMenuTool, "_Tool", ""},
        {kMenuHelp, "_Help", nullptr}, // leaving a Help item keeps its text
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(MenuBarMenu(c.menu).label, c.label);
        EXPECT_EQ(Text(MenuDeselectText(c.menu)), Text(c.deselect)) << c.label;
    }
}

} // namespace
