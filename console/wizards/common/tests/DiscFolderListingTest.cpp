#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include "DiscFolderListing.h"

TEST(DiscFolderListingTest, PatternCutsAfterTheLastSlash)
{
    EXPECT_EQ(DiscFolderPattern("/mnt/CD1/set/a02.rvd"), "/mnt/CD1/set/*");
    EXPECT_EQ(DiscFolderPattern("/mnt/CD1/"), "/mnt/CD1/*");
    EXPECT_EQ(DiscFolderPattern("noslash.rvd"), "noslash.rvd*");
    EXPECT_EQ(DiscFolderPattern(nullptr), "*");
}

TEST(DiscFolderListingTest, AFullLengthPathKeepsItsStarAndTerminatorInsideTheBuffer)
{
    // 520 bytes without a slash: the pattern is the whole path and "*", 522 bytes
    // with the terminator. A 520-byte buffer would overflow here.
    const std::string full(kDiscPathBytes, 'a');
    EXPECT_EQ(DiscFolderPattern(full.c_str()), full + "*");
    // A longer path is taken to its first 520 bytes.
    const std::string longer(kDiscPathBytes + 40, 'b');
    EXPECT_EQ(DiscFolderPattern(longer.c_str()), std::string(kDiscPathBytes, 'b') + "*");
}

TEST(DiscFolderListingTest, ListsEveryPlainFileOfTheFolderButNoSubfolder)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    char folder[] = "/tmp/rvd-discfolder-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string root = folder;
    std::ofstream(root + "/set01.rvd") << "x";
    std::ofstream(root + "/readme.txt") << "x";
    mkdir((root + "/sub").c_str(), 0755);
    std::ofstream(root + "/sub/inner.rvd") << "x";

    std::vector<std::string> names = ListDiscFolder((root + "/set02.rvd").c_str());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"readme.txt", "set01.rvd"}));
    EXPECT_TRUE(ListDiscFolder((root + "/missing/x.rvd").c_str()).empty());
    std::system(("rm -rf '" + root + "'").c_str());
}
