// Turns the console's restore item (_RESTORE_INFO) into the restore engine's own
// target record, field by field, with the disk number translated from the
// enumeration's index to the physical drive number. The caller's item is only read,
// so an item queued twice names the same disk both times.
#pragma once

#include <string>

#include "KSRestoreRecords.h"
#include "RestoreInfo.h"

class ICensa;

class RestoreItemConverter {
public:
    // censa may be null: the disk number then passes unchanged.
    explicit RestoreItemConverter(ICensa* censa) : censa_(censa) {}

    _KS_RESTORE_TARGET Convert(const _RESTORE_INFO& item) const;

    // The drive number at the end of "\\.\PhysicalDriveN" (leading digits after the
    // 17-character prefix); false when the path is no longer than the prefix or the
    // number is negative.
    static bool DriveNumberOf(const std::string& devicePath, unsigned char& number);
    // An upper-case letter byte for 'A'-'Z' or 'a'-'z'; 0 (no letter) for anything else.
    static unsigned char LetterOf(int32_t letter);

private:
    unsigned char TranslateDisk(unsigned char disk) const;

    ICensa* censa_;
};
