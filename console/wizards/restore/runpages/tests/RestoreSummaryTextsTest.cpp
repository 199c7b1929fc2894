#include <gtest/gtest.h>

#include "RestoreSummaryTexts.h"

namespace {

std::string Joined(const SummaryText& t, bool emphasisOnly = false)
{
    std::string s;
    for (const SummaryPiece& p : t)
        if (!emphasisOnly || p.emphasis)
            s += p.text + (emphasisOnly ? "|" : "");
    return s;
}

TEST(RestoreSummaryTexts, PlannedSummaries)
{
    EXPECT_EQ("\n Summary\n     From file: /mnt/P1/a.rvd\n\n Restore MBR\n     Hard disk: 0",
              Joined(RestoreSummaryTexts::PlannedDisk("/mnt/P1/a.rvd", 0)));
    RestoredPartitionLines p;
    p.disk = "1";
    p.driveLetter = '*';
    p.fileSystem = "NTFS";
    p.label = "DATA";
    p.size = "64.00 MB";
    const SummaryText t = RestoreSummaryTexts::PlannedPartition("/mnt/P1/a.rvd", p);
    EXPECT_EQ("\n Summary\n        From file:  /mnt/P1/a.rvd\n        Hard disk:  1\n\n Restore partition\n"
              "        Hard disk:  1\n     Drive letter:  *\n      File system:  NTFS\n     Volume label:  DATA\n"
              "             Size:  64.00 MB",
              Joined(t));
    EXPECT_EQ(" Summary| Restore partition|", Joined(t, true));
}

TEST(RestoreSummaryTexts, RunningSummaries)
{
    EXPECT_EQ(" Summary|Restoring MBR|", Joined(RestoreSummaryTexts::RunningBootRecord("a", "1"), true));
    EXPECT_EQ(" Summary| Restoring disk operation|", Joined(RestoreSummaryTexts::RunningDisk("a", "2"), true));
    RestoredPartitionLines p;
    p.disk = "2";
    p.driveLetter = '*';
    p.fileSystem = "FAT32";
    p.size = "1.00 GB";
    EXPECT_EQ("        Hard disk:  2\n     Drive letter:  *\n     Volume label:  \n      File system:  FAT32\n"
              "\t     Size:  1.00 GB\n   \n",
              Joined(RestoreSummaryTexts::DiskEntryDetails(p)));
}

} // namespace
