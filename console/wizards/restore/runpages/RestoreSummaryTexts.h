// The summary texts of the restore summary page and of the progress page: pieces of
// text in order, some shown big and bold. Image paths and labels arrive already
// converted for display.
#pragma once

#include <string>
#include <vector>

struct SummaryPiece {
    std::string text;
    bool emphasis = false; // "big" and "bold"
};
using SummaryText = std::vector<SummaryPiece>;

struct RestoredPartitionLines {
    std::string disk;        // the disk number as shown
    char driveLetter = ' ';
    std::string fileSystem;
    std::string label;
    std::string size;        // GetFileSizeString of the partition's bytes
};

namespace RestoreSummaryTexts {

// The summary page, before the run.
SummaryText PlannedDisk(const std::string& imagePath, unsigned targetDisk);
SummaryText PlannedPartition(const std::string& imagePath, const RestoredPartitionLines& p);

// The progress page.
SummaryText RunningBootRecord(const std::string& imagePath, const std::string& disk);
SummaryText RunningPartition(const std::string& imagePath, const RestoredPartitionLines& p);
SummaryText RunningDisk(const std::string& imagePath, const std::string& disk);
SummaryText DiskEntryDetails(const RestoredPartitionLines& p);

} // namespace RestoreSummaryTexts
