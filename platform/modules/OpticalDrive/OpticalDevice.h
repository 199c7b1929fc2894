// The modelled drive behind "\\.\X:": answers SCSI pass-through (the MMC commands a
// burner sends), the SCSI address and the adapter query from the drive's state
// folder, read afresh for each request so a writer in another process is seen.
#pragma once

#include "OpticalDriveState.h"

#include <cstdint>
#include <string>

namespace optical {

// Saves the drive's state, empties its disc image, and makes "X:" a CD-ROM drive of
// the process whose device answers as above.
bool RegisterDrive(const std::string& root, Drive& drive);
void UnregisterDrive(char letter);

// Sets the process up to burn onto modelled drives: the tools' folder (links to Pip
// and scanbus of toolsFolder) becomes the running program's folder, where the
// burner and the drive tool look for them; the model's state lives under modelRoot
// (RVD_OPTICAL_ROOT, which the tools inherit); "T:" names stagingFolder with the
// given free room. False when a link cannot be made.
bool UseModelTools(const std::string& programFolder, const std::string& toolsFolder, const std::string& modelRoot,
                   const std::string& stagingFolder, uint64_t stagingFreeBytes);
void StopUsingModelTools();

// Answers one pass-through buffer (header, sense and data in place); false when the
// request fails as a whole (the drive gives no answer). Pure over the drive record,
// which it may change (tray lock and eject counts).
bool AnswerPassThrough(Drive& drive, unsigned char* buffer, unsigned size, bool& changed);

} // namespace optical
