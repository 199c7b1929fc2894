// The side bar's rows as data and what a click or a key on each of them starts.
// Mount, unmount, option and backup are shown disabled and start nothing; check
// image, restore and clone start their operation; the help panel's one row opens
// the help viewer.
#pragma once

#include <cstddef>

enum class RowStart {
    None,
    CheckImage,           // device scan, then the check-image wizard
    CheckImageWizardOnly, // the check-image wizard at once, no scan
    Restore,
    Clone,
    Help,
};

struct SideBarRowPictures {
    const char* normal;
    const char* hover;
    const char* pressed;
    const char* disabledPicture;
    bool disabled;
};

enum SideBarRowId { kRowMount, kRowUnmount, kRowCheck, kRowOption, kRowBackup, kRowRestore, kRowClone, kRowCount };

const SideBarRowPictures& OperationRow(int row);
const SideBarRowPictures& HelpRow();

// The six head pictures of each panel and the footer under the rows.
const char* const* OperationHeadPictures();
const char* const* HelpHeadPictures();
constexpr const char* kPanelFooter = "../res/footer.png";

struct RowReaction {
    RowStart start = RowStart::None;
    bool handled = false; // the event's return value
};

// A mouse button pressed on an operation row; the right button is ignored.
RowReaction OperationRowPress(int row, unsigned button);
// A key pressed on an operation row.
RowReaction OperationRowKey(int row, unsigned keyval);

// The help row remembers a right-button release: Enter then starts nothing until a
// release of another button (which itself starts the viewer).
extern int g_bHelpRightPress;
RowReaction HelpRowRelease(unsigned button);
RowReaction HelpRowKey(unsigned keyval);

constexpr unsigned kRowEnterKey = 0xFF0D;
constexpr unsigned kRowRightButton = 3;
constexpr const char* kSideBarHelpTopic = "MainWindow";
