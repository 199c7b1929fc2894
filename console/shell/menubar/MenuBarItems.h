// The main window's four menus as data: every item's label, kind, sensitivity, the
// action it starts and the status text it shows while selected. The GTK menu bar is
// built from this table; tests read it without a display.
#pragma once

#include <cstddef>

enum class MenuAction {
    None,
    Restore,
    Clone,
    CheckImage,
    Exit,
    ToggleToolBar,
    ToggleSideBar,
    HelpContents,
    About,
};

enum class MenuItemKind { Item, Check, Separator };

enum MenuId { kMenuOperation, kMenuView, kMenuTool, kMenuHelp, kMenuCount };

struct MenuItemEntry {
    const char* label; // with its mnemonic; null for a separator
    MenuItemKind kind;
    bool sensitive;
    bool active; // check items: the state at start
    MenuAction action;
    const char* status; // shown in the status bar while the item is selected
};

struct MenuEntry {
    const char* label;
    const MenuItemEntry* items;
    size_t count;
    // Leaving an item of the Operation, View and Tool menus clears the status text;
    // leaving a Help item keeps the text it showed.
    bool deselectClears;
};

const MenuEntry& MenuBarMenu(MenuId id);

// The text to write on deselect, or null to leave the status text as it is.
const char* MenuDeselectText(MenuId id);

constexpr const char* kMenuHelpTopic = "MainWindow";
constexpr const char* kAboutTitle = "About Zendrel Kivra Backup";
constexpr int kAboutWidth = 420;
constexpr int kAboutHeight = 190;
