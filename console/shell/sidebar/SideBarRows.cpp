#include "SideBarRows.h"

int g_bHelpRightPress = 0;

namespace {

const SideBarRowPictures kOperationRows[kRowCount] = {
    {"../res/menu-mount-disable.png", "../res/menu-mount-disable.png", "../res/menu-mount-disable.png",
     "../res/menu-mount-disable.png", true},
    {"../res/menu-unmount-disable.png", "../res/menu-unmount-disable.png", "../res/menu-unmount-disable.png",
     "../res/menu-unmount-disable.png", true},
    {"../res/menu-check-normal.png", "../res/menu-check-hover.png", "../res/menu-check-click.png",
     "../res/menu-check-click.png", false},
    {"../res/menu-option-disable.png", "../res/menu-option-disable.png", "../res/menu-option-disable.png",
     "../res/menu-option-disable.png", true},
    {"../res/menu-backup-disable.png", "../res/menu-backup-disable.png", "../res/menu-backup-disable.png",
     "../res/menu-backup-disable.png", true},
    {"../res/menu-restore-normal.png", "../res/menu-restore-hover.png", "../res/menu-restore-click.png",
     "../res/menu-restore-click.png", false},
    {"../res/menu-clone-normal.png", "../res/menu-clone-hover.png", "../res/menu-clone-click.png",
     "../res/menu-clone-click.png", false},
};

const SideBarRowPictures kHelpRow = {"../res/menu-contents-normal.png", "../res/menu-contents-hover.png",
                                 "../res/menu-contents-click.png", "../res/menu-contents-click.png", false};

const char* const kOperationHeads[6] = {"../res/up_normal.png",  "../res/down_normal.png", "../res/up_hover.png",
                                        "../res/down_hover.png", "../res/up_press.png",    "../res/down_press.png"};

const char* const kHelpHeads[6] = {"../res/menu-help-up-normal.png",   "../res/menu-help-down-normal.png",
                                   "../res/menu-help-up-hover.png",    "../res/menu-help-down-hover.png",
                                   "../res/menu-help-up-click.png",    "../res/menu-help-down-click.png"};

} // namespace

const SideBarRowPictures& OperationRow(int row)
{
    return kOperationRows[row >= 0 && row < kRowCount ? row : kRowMount];
}

const SideBarRowPictures& HelpRow()
{
    return kHelpRow;
}

const char* const* OperationHeadPictures()
{
    return kOperationHeads;
}

const char* const* HelpHeadPictures()
{
    return kHelpHeads;
}

RowReaction OperationRowPress(int row, unsigned button)
{
    RowReaction r;
    if (button == kRowRightButton)
        return r;
    switch (row) {
    case kRowCheck: r.start = RowStart::CheckImage; break;
    case kRowRestore: r.start = RowStart::Restore; break;
    case kRowClone: r.start = RowStart::Clone; break;
    default: break;
    }
    return r;
}

RowReaction OperationRowKey(int row, unsigned keyval)
{
    RowReaction r;
    if (keyval != kRowEnterKey)
        return r;
    switch (row) {
    case kRowMount: r.handled = true; break; // swallowed, starts nothing
    case kRowCheck: r = {RowStart::CheckImageWizardOnly, true}; break;
    case kRowRestore: r = {RowStart::Restore, true}; break;
    case kRowClone: r = {RowStart::Clone, true}; break;
    default: break;
    }
    return r;
}

RowReaction HelpRowRelease(unsigned button)
{
    if (button == kRowRightButton) {
        g_bHelpRightPress = 1;
        return {};
    }
    g_bHelpRightPress = 0;
    return {RowStart::Help, false};
}

RowReaction HelpRowKey(unsigned keyval)
{
    if (keyval != kRowEnterKey)
        return {};
    return {g_bHelpRightPress ? RowStart::None : RowStart::Help, true};
}
