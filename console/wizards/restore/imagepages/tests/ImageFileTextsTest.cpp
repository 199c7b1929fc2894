#include <gtest/gtest.h>

#include "ImageFileTexts.h"

TEST(ImageFileTextsTest, OnlyAFourCharacterRvdExtensionNamesAnImage)
{
    struct Case {
        const char* path;
        bool image;
        bool anyExtension;
    };
    const Case cases[] = {
        {"/mnt/P1/set.rvd", true, true},   {"/mnt/P1/SET.RVD", true, true},  {"/mnt/P1/a.Rvd", true, true},
        {"/mnt/P1/set.rvdx", false, true}, {"/mnt/P1/set.rv", false, true},  {"/mnt/P1/set.txt", false, true},
        {"/mnt/P1/set", false, false},     {"/mnt/P1.d/set", false, true},   {".rvd", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HasImageExtension(c.path), c.image) << c.path;
        EXPECT_EQ(HasAnyExtension(c.path), c.anyExtension) << c.path;
    }
}

TEST(ImageFileTextsTest, CommentStripCutsLongCommentsByTheirScript)
{
    EXPECT_EQ(MakeCommentStrip("").text, "  No comments.");
    EXPECT_EQ(MakeCommentStrip("").tooltip, "  No comments.");
    const std::string ascii49(49, 'c');
    EXPECT_EQ(MakeCommentStrip(ascii49).text, "  " + std::string(48, 'c') + "...");
    EXPECT_EQ(MakeCommentStrip(ascii49).tooltip, ascii49);
    EXPECT_EQ(MakeCommentStrip(std::string(48, 'c')).text, "  " + std::string(48, 'c'));
    // One non-ASCII character: cut after 30 characters, never inside one.
    std::string mixed = "\xC3\xA9";
    for (int i = 0; i < 39; ++i)
        mixed += "\xC3\xA9";
    const CommentStrip strip = MakeCommentStrip(mixed);
    std::string expected;
    for (int i = 0; i < 30; ++i)
        expected += "\xC3\xA9";
    EXPECT_EQ(strip.text, "  " + expected + "...");
}

TEST(ImageFileTextsTest, SizeAndNames)
{
    EXPECT_EQ(ImageSizeNumber(512 * 1024), "0.50");
    EXPECT_STREQ(ImageSizeUnit(512 * 1024), "MB");
    EXPECT_EQ(ImageSizeNumber(0), "0.00");
    EXPECT_STREQ(ImageSizeUnit(0), "KB");
    EXPECT_EQ(ImageDateSizeLine("01-02-2026 10:00:00", 3 * 1048576),
              "  Date: 01-02-2026 10:00:00 Size: 3.00MB");
    EXPECT_EQ(ImageShortName("/mnt/P1/x/set.rvd"), "set.rvd");
    EXPECT_EQ(ImageShortName("set.rvd"), "");
}
