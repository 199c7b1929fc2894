#include <gtest/gtest.h>

#include <cstring>

#include "ChkImgTexts.h"
#include "WizardText.h"

using namespace ChkImgTexts;

namespace {

_KS_VOLUME Volume(uint8_t letter, uint8_t fs, uint8_t type, uint64_t sectors, uint16_t disk = 0)
{
    _KS_VOLUME v{};
    v.DriveLetter = letter;
    v.FileSystem = fs;
    v.PartitionType = type;
    v.TotalSectors = sectors;
    v.DiskNumber = disk;
    return v;
}

std::string Joined(const SummaryText& t)
{
    std::string all;
    for (const SummaryPiece& p : t)
        all += p.text;
    return all;
}

} // namespace

TEST(ChkImgTextsTest, VolumeTypeNamesByNumberAndPartitionKind)
{
    struct Case {
        unsigned fs, type;
        const char* name;
    };
    const Case cases[] = {
        {1, 0, "FAT12"}, {2, 0, "FAT16"}, {3, 0x0C, "FAT32"}, {4, 0x07, "NTFS"}, {5, 0x83, "EXT2"},
        {6, 0x83, "EXT3"}, {7, 0x07, "Other"}, {8, 0x07, "Other(BitLocker Encrypted)"}, {9, 0x07, "Other"},
        // Unknown numbers: the kinds a file system can be made on read "Unformatted".
        {0, 0x07, "Unformatted"}, {0, 0x01, "Unformatted"}, {255, 0x0E, "Unformatted"}, {0, 0x0B, "Unformatted"},
        {0, 0x83, "Other"}, {0, 0x03, "Other"}, {0, 0x0F, "Other"}, {0, 0x00, "Other"}, {10, 0x0D, "Other"},
        {0, 0x1E, "Other"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(GetVolumeType(c.fs, c.type), c.name) << c.fs << "/" << c.type;
}

TEST(ChkImgTextsTest, LetterOfAVolumeWithoutOneIsAStar)
{
    EXPECT_EQ(VolumeLetter(Volume(0, 4, 7, 1)), '*'); // the backup's mark of a volume without a letter
    EXPECT_EQ(VolumeLetter(Volume(2, 4, 7, 1)), 'C');
    EXPECT_EQ(VolumeLetter(Volume(25, 4, 7, 1)), 'Z');
    EXPECT_EQ(VolumeLetter(Volume(26, 4, 7, 1)), '*');
    EXPECT_EQ(VolumeLetter(Volume(0xFF, 4, 7, 1)), '*');
}

TEST(ChkImgTextsTest, SummaryListsEachVolumeInOrder)
{
    _KS_VOLUME c = Volume(2, 3, 0x0C, 2097152);
    _KS_VOLUME none = Volume(0xFF, 4, 0x07, 2048);
    const std::vector<_KS_VOLUME*> volumes{&c, &none};
    const SummaryText t = Summary("/mnt/P1/a.rvd", volumes);
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t[0].text, "\n  Summary\n");
    EXPECT_TRUE(t[0].emphasis);
    const std::string all = Joined(t);
    const size_t first = all.find("   Drive letter: C");
    const size_t second = all.find("   Drive letter: *");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_NE(all.find("    File system: FAT32\n"), std::string::npos);
    EXPECT_NE(all.find("    File system: NTFS\n"), std::string::npos);
    EXPECT_NE(all.find("           Size: 1.00 GB \n"), std::string::npos);
    EXPECT_NE(all.find("           Size: 1.00 MB \n"), std::string::npos);
    // No stray byte from a letter beyond "Z".
    for (unsigned char ch : all)
        EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch < 0x7F)) << int(ch);
}

TEST(ChkImgTextsTest, VolumeBlockCountsDisksFromOne)
{
    const _KS_VOLUME v = Volume(3, 2, 0x06, 4096, 1);
    const SummaryText t = VolumeBlock("/mnt/P1/a.rvd", v);
    const std::string all = Joined(t);
    EXPECT_NE(all.find("\n  Checking image"), std::string::npos);
    EXPECT_NE(all.find("     Hard disk: 2\n"), std::string::npos);
    EXPECT_NE(all.find("  Drive letter: D\n"), std::string::npos);
    EXPECT_NE(all.find("   File system: FAT16\n"), std::string::npos);
    EXPECT_NE(all.find("          Size: 2.00 MB \n"), std::string::npos);
    bool emphasised = false;
    for (const SummaryPiece& p : t)
        emphasised = emphasised || (p.emphasis && p.text == "\n  Checking image");
    EXPECT_TRUE(emphasised);
}

TEST(ChkImgTextsTest, DateSizeLineLeavesOutASizeThatCannotBeRead)
{
    EXPECT_EQ(DateSizeLine("2026-12-11 01:00", 1048576), " Date:2026-12-11 01:00   Size:1.00 MB" + std::string(9, '\t'));
    EXPECT_EQ(DateSizeLine("2026-12-11 01:00", -1), " Date:2026-12-11 01:00" + std::string(9, '\t'));
}

TEST(ChkImgTextsTest, PathCopyRefusesWhatDoesNotFit)
{
    char field[520];
    std::memset(field, 'x', sizeof field);
    field[0] = '\0';
    const std::string fits(519, 'a');
    EXPECT_TRUE(CopyPath(fits, field, sizeof field));
    EXPECT_EQ(std::string(field), fits);
    const std::string tooLong(1039, 'b');
    EXPECT_FALSE(CopyPath(tooLong, field, sizeof field));
    EXPECT_EQ(std::string(field), fits); // untouched
    EXPECT_FALSE(CopyPath(std::string(520, 'c'), field, sizeof field));
}

TEST(ChkImgTextsTest, CutsNeverSplitACharacter)
{
    const std::string e = "\xC3\xA9"; // one two-byte character
    EXPECT_EQ(CutToBytes("abc", 511), "abc");
    EXPECT_EQ(CutToBytes(std::string(510, 'a') + e, 511), std::string(510, 'a'));
    EXPECT_EQ(CutToBytes(std::string(509, 'a') + e + "z", 511), std::string(509, 'a') + e);
    EXPECT_EQ(CutToBytes(std::string(2000, 'a'), 511).size(), 511u);
}

namespace {
// These tests run without the text module: converted texts show empty, and the
// attempt to load the module is not repeated in the log of every test.
class WithoutTextModule : public ::testing::Environment {
public:
    void SetUp() override { SetWizardCommonOpener([]() -> ICommonModule* { return nullptr; }); }
    void TearDown() override { SetWizardCommonOpener(nullptr); }
};
const ::testing::Environment* const kWithoutTextModule =
    ::testing::AddGlobalTestEnvironment(new WithoutTextModule);
} // namespace
