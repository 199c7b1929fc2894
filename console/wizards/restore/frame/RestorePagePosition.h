// The restore wizard's pages by notebook position. The frame creates them in this
// order and never reorders them; the last-page field of the record holds one of them.
#pragma once

enum RestorePagePosition : int {
    RESTORE_PAGE_IMAGE = 0,
    RESTORE_PAGE_IMAGE_PARTITION = 1,
    RESTORE_PAGE_TARGET_PARTITION = 2,
    RESTORE_PAGE_RESTORE_MODE = 3,
    RESTORE_PAGE_EDIT_PARTITION = 4,
    RESTORE_PAGE_DRIVE_LETTER = 5,
    RESTORE_PAGE_TARGET_DISK = 6,
    RESTORE_PAGE_SUMMARY = 7,
    RESTORE_PAGE_PROGRESS = 8,
    RESTORE_PAGE_COUNT = 9,
};
