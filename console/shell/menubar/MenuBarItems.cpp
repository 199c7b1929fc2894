#include "MenuBarItems.h"

namespace {

constexpr MenuItemEntry kMenuSeparator{nullptr, MenuItemKind::Separator, true, false, MenuAction::None, nullptr};

const MenuItemEntry kOperationItems[] = {
    {"_Backup...", MenuItemKind::Item, false, false, MenuAction::None, "Backup partitions"},
    {"_Restore...", MenuItemKind::Item, true, false, MenuAction::Restore, "Restore a partition or a disk"},
    {"_Clone...", MenuItemKind::Item, true, false, MenuAction::Clone, "Clone a disk"},
    kMenuSeparator,
    {"_Mount...", MenuItemKind::Item, false, false, MenuAction::None, "Mount images"},
    {"_Unmount...", MenuItemKind::Item, false, false, MenuAction::None, "Unmount images"},
    {"C_heck image file...", MenuItemKind::Item, true, false, MenuAction::CheckImage, "check images"},
    kMenuSeparator,
    {"_Exit", MenuItemKind::Item, true, false, MenuAction::Exit, "Exit"},
};

const MenuItemEntry kViewItems[] = {
    {"_Toolbar ", MenuItemKind::Check, true, true, MenuAction::ToggleToolBar, "Show or hide toolbar"},
    {"_Action Panel ", MenuItemKind::Check, true, true, MenuAction::ToggleSideBar, "Show or hide sidebar"},
};

const MenuItemEntry kToolItems[] = {
    {"_Option", MenuItemKind::Item, false, false, MenuAction::None, "Set some properties"},
    {"_Create Bootable Disk", MenuItemKind::Item, false, false, MenuAction::None,
     "Launch the program that creates a bootable disk"},
};

const MenuItemEntry kHelpItems[] = {
    {"_Contents", MenuItemKind::Item, true, false, MenuAction::HelpContents, "Show help contents"},
    kMenuSeparator,
    {"_User Guide(PDF)", MenuItemKind::Item, false, false, MenuAction::None, "Show user guide"},
    kMenuSeparator,
    {"Ch_eck for update at startup", MenuItemKind::Check, false, false, MenuAction::None,
     "Check for update at startup"},
    {"Che_ck for update", MenuItemKind::Item, false, false, MenuAction::None, "check latest update"},
    kMenuSeparator,
    {"_About", MenuItemKind::Item, true, false, MenuAction::About,
     "Display program information,version number and copyright"},
};

template <size_t N>
constexpr MenuEntry MakeMenu(const char* label, const MenuItemEntry (&items)[N], bool deselectClears)
{
    return {label, items, N, deselectClears};
}

const MenuEntry kMenus[kMenuCount] = {
    MakeMenu("_Operation", kOperationItems, true),
    MakeMenu("_View", kViewItems, true),
    MakeMenu("_Tool", kToolItems, true),
    MakeMenu("_Help", kHelpItems, false),
};

} // namespace

const MenuEntry& MenuBarMenu(MenuId id)
{
    return kMenus[id < kMenuCount ? id : kMenuOperation];
}

const char* MenuDeselectText(MenuId id)
{
    return MenuBarMenu(id).deselectClears ? "" : nullptr;
}
