// What the check-image wizard writes about an image set and its volumes: the
// file-system name, the drive letter, the summary before the check, the block shown
// as the checker reaches a volume, the date and size line, and the bounded copies
// into the wizard's fixed text fields.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "KSVolume.h"
#include "RestoreSummaryTexts.h"

namespace ChkImgTexts {

// The file-system name from the engine's number and the partition type id.
const char* GetVolumeType(unsigned fileSystem, unsigned partitionType);
// "A" + the stored letter; "*" for a volume without one (a stored value above 25).
char VolumeLetter(const _KS_VOLUME& v);

// The summary page's whole text. imagePath is the file-system path.
SummaryText Summary(const char* imagePath, const std::vector<_KS_VOLUME*>& volumes);
// The progress page's heading, and the block of one volume as the check reaches it.
SummaryText ProgressHeading();
SummaryText VolumeBlock(const char* imagePath, const _KS_VOLUME& v);

// " Date:<date>   Size:<size>" and nine tabs; without the size part when bytes < 0
// (the file could not be measured).
std::string DateSizeLine(const std::string& date, long long bytes);

// Copies path into a field of capacity bytes with its NUL; false, leaving the field
// as it was, when it does not fit.
bool CopyPath(const std::string& path, char* field, size_t capacity);
// text cut to at most maxBytes bytes, never inside a UTF-8 character.
std::string CutToBytes(const std::string& text, size_t maxBytes);

} // namespace ChkImgTexts
