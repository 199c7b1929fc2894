#include "ToolBarButtons.h"

#include <cstring>

const std::array<ToolBarButtonSpec, kTbCount>& ToolBarRow()
{
    static const std::array<ToolBarButtonSpec, kTbCount> row = {{
        {kTbMount, "mount", "Mount images", ToolBarAction::None},
        {kTbUnmount, "unmount", "Unmount images", ToolBarAction::None},
        {kTbCheck, "check", "Check partitions", ToolBarAction::CheckImage},
        {kTbOption, "option", "Set some properties", ToolBarAction::None},
        {kTbBackup, "backup", "Backup partitions", ToolBarAction::None},
        {kTbRestore, "restore", "Restore a partition or a disk", ToolBarAction::Restore},
        {kTbClone, "clone", "Clone a disk", ToolBarAction::Clone},
        {kTbHelp, "help", "Show help contents", ToolBarAction::Help},
    }};
    return row;
}

const ToolBarButtonSpec& ToolBarButtonSpecOf(ToolBarButtonId id)
{
    for (const ToolBarButtonSpec& spec : ToolBarRow()) {
        if (spec.id == id)
            return spec;
    }
    return ToolBarRow().front(); // unreachable for a valid id
}

std::string ToolBarPicturePath(const char* op, const char* state)
{
    return std::string("../res/nav-") + op + "-" + state + ".png";
}

bool IsGreyedForGoodPicture(const char* normalPath)
{
    static const char* const greyed[] = {
        "../res/nav-backup-normal.png", "../res/nav-mount-normal.png", "../res/nav-unmount-normal.png",
        "../res/nav-option-normal.png", "../res/backup_normal.png",
    };
    if (normalPath == nullptr)
        return false;
    for (const char* path : greyed) {
        if (std::strcmp(path, normalPath) == 0)
            return true;
    }
    return false;
}
