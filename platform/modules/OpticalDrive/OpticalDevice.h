// The modelled drive behind "\\.\X:": answers SCSI pass-through (the MMC commands a
// burner sends), the SCSI address and the adapter query from the drive's state
// folder, read afresh for each request so a writer in another process is seen.
#pragma once

#include "OpticalDriveState.h"

#include <string>

namespace optical {

// Saves the drive's state, empties its disc image, and makes "X:" a CD-ROM drive of
// the process whose device answers as above.
bool RegisterDrive(const std::string& root, Drive& drive);
void UnregisterDrive(char letter);

// Answers one pass-through buffer (header, sense and data in place); false when the
// request fails as a whole (the drive gives no answer). Pure over the drive record,
// which it may change (tray lock and eject counts).
bool AnswerPassThrough(Drive& drive, unsigned char* buffer, unsigned size, bool& changed);

} // namespace optical
