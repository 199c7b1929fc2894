#include "RestoreWizardRoute.h"

#include "RestorePagePosition.h"

RestorePageHead RestoreWizardRoute::Head(int position)
{
    switch (position) {
    case RESTORE_PAGE_IMAGE:
        return {"Backup image selection", "Select backup image that contains data you want to restore."};
    case RESTORE_PAGE_IMAGE_PARTITION:
        return {"Restore partition or disk", "Select a partition or a hard disk drive to restore."};
    case RESTORE_PAGE_TARGET_PARTITION:
        return {"Restored partition location", "Select a target partition or unallocated space for the restore."};
    case RESTORE_PAGE_RESTORE_MODE:
        return {"Restored partition type", "Choose the restore partition type."};
    case RESTORE_PAGE_EDIT_PARTITION:
        return {"Restored partition size", "Specify the size and location of the restored partition."};
    case RESTORE_PAGE_DRIVE_LETTER:
        return {"Logic drive letter", "Specify a drive letter for the restored partition."};
    case RESTORE_PAGE_TARGET_DISK:
        return {"Disk selection", "Select a hard disk drive from the list below."};
    default:
        return {"", ""};
    }
}

bool RestoreWizardRoute::RebuildsEditOnBack(int current)
{
    return current == RESTORE_PAGE_DRIVE_LETTER;
}

bool RestoreWizardRoute::RebuildsEditOnNext(int current, bool editExists)
{
    return current == RESTORE_PAGE_RESTORE_MODE && editExists;
}

bool RestoreWizardRoute::HelpKeyAllowed(int current)
{
    return current != RESTORE_PAGE_PROGRESS;
}
