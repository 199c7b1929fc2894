#include "RestoreSummaryTexts.h"

namespace {

void Add(SummaryText& t, const std::string& text, bool emphasis = false)
{
    t.push_back({text, emphasis});
}

void Head(SummaryText& t)
{
    Add(t, "\n");
    Add(t, " Summary", true);
    Add(t, "\n");
}

} // namespace

namespace RestoreSummaryTexts {

SummaryText PlannedDisk(const std::string& imagePath, unsigned targetDisk)
{
    SummaryText t;
    Head(t);
    Add(t, "     From file: " + imagePath);
    Add(t, "\n\n");
    Add(t, " Restore MBR", true);
    Add(t, "\n");
    Add(t, "     Hard disk: " + std::to_string(targetDisk));
    return t;
}

SummaryText PlannedPartition(const std::string& imagePath, const RestoredPartitionLines& p)
{
    SummaryText t;
    Head(t);
    Add(t, "        From file:  " + imagePath);
    Add(t, "\n");
    Add(t, "        Hard disk:  " + p.disk);
    Add(t, "\n\n");
    Add(t, " Restore partition", true);
    Add(t, "\n");
    Add(t, "        Hard disk:  " + p.disk);
    Add(t, "\n");
    Add(t, std::string("     Drive letter:  ") + p.driveLetter);
    Add(t, "\n");
    Add(t, "      File system:  " + p.fileSystem);
    Add(t, "\n");
    Add(t, "     Volume label:  " + p.label);
    Add(t, "\n");
    Add(t, "             Size:  " + p.size);
    return t;
}

SummaryText RunningBootRecord(const std::string& imagePath, const std::string& disk)
{
    SummaryText t;
    Head(t);
    Add(t, "     From file:\t\t\t\t\t\t" + imagePath);
    Add(t, "\n");
    Add(t, "Restoring MBR", true);
    Add(t, "\n");
    Add(t, "     Hard disk:                       " + disk);
    return t;
}

SummaryText RunningPartition(const std::string& imagePath, const RestoredPartitionLines& p)
{
    SummaryText t;
    Head(t);
    Add(t, "       Image file:  " + imagePath);
    Add(t, "\n");
    Add(t, "        Hard disk:  " + p.disk);
    Add(t, "\n\n");
    Add(t, " Restoring partition", true);
    Add(t, "\n");
    Add(t, "        Hard disk:  " + p.disk);
    Add(t, "\n");
    Add(t, std::string("     Drive letter:  ") + p.driveLetter);
    Add(t, "\n");
    Add(t, "      File system:  " + p.fileSystem);
    Add(t, "\n");
    Add(t, "     Volume label:  " + p.label);
    Add(t, "\n");
    Add(t, "             Size:  " + p.size);
    return t;
}

SummaryText RunningDisk(const std::string& imagePath, const std::string& disk)
{
    SummaryText t;
    Head(t);
    Add(t, "       Image file:  " + imagePath);
    Add(t, "\n");
    Add(t, "        Hard disk:  " + disk);
    Add(t, "\n\n");
    Add(t, " Restoring disk operation", true);
    Add(t, "\n");
    return t;
}

SummaryText DiskEntryDetails(const RestoredPartitionLines& p)
{
    SummaryText t;
    Add(t, "        Hard disk:  " + p.disk);
    Add(t, "\n");
    Add(t, std::string("     Drive letter:  ") + p.driveLetter);
    Add(t, "\n");
    Add(t, "     Volume label:  " + p.label);
    Add(t, "\n");
    Add(t, "      File system:  " + p.fileSystem);
    Add(t, "\n");
    Add(t, "\t     Size:  " + p.size);
    Add(t, "\n");
    Add(t, "   ");
    Add(t, "\n");
    return t;
}

} // namespace RestoreSummaryTexts
