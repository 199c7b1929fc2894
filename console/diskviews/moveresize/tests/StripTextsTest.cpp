#include <gtest/gtest.h>

#include "StripTexts.h"

namespace {
TEST(StripTextsTest, ImproperKindLaterTestWins)
{
    struct Case { bool gpt, dynamic, bad; ImproperDiskKind kind; const char* title; };
    const Case cases[] = {
        {false, false, false, ImproperDiskKind::None, ""},
        {true, false, false, ImproperDiskKind::Gpt, "GPT Disk"},
        {false, true, false, ImproperDiskKind::Dynamic, "Dynamic Disk"},
        {true, true, false, ImproperDiskKind::Dynamic, "Dynamic Disk"},
        {true, false, true, ImproperDiskKind::Bad, "Bad Disk"},
        {true, true, true, ImproperDiskKind::Bad, "Bad Disk"},
    };
    for (const Case& c : cases) {
        const ImproperDiskKind kind = ImproperKindOf(c.gpt, c.dynamic, c.bad);
        EXPECT_EQ(c.kind, kind) << c.title;
        EXPECT_EQ(c.title, ImproperDiskTitle(kind));
    }
    EXPECT_EQ("GPT", ImproperKindText(ImproperDiskKind::Gpt));
    EXPECT_EQ("Bad", ImproperKindText(ImproperDiskKind::Bad));
}

TEST(StripTextsTest, TooltipsNameSizeAndUse)
{
    EXPECT_EQ("Unallocated\nSize: 8 MB", UnallocatedTooltip(7.8));
    EXPECT_EQ("Unallocated\nSize: 0 MB", UnallocatedTooltip(0.2));
    EXPECT_EQ("NTFS\nC: DATA\nSize: 512 MB\nUsed size: 100 MB", PartitionTooltip("NTFS", "C:", "DATA", 512, 100));
    EXPECT_EQ("Other\n*: \nSize: 16 MB\nUsed size: 0 MB", PartitionTooltip("Other", "*:", "", 15.7, 0));
}

TEST(StripTextsTest, DriveTextOfLettersAndNone)
{
    const struct { char letter; const char* text; } cases[] = {
        {'C', "C:"}, {'d', "D:"}, {0, "*:"}, {'*', "*:"}, {'1', "*:"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.text, DriveText(c.letter)) << static_cast<int>(c.letter);
}
}  // namespace
