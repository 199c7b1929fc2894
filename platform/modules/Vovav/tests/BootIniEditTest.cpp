#include <gtest/gtest.h>

#include "BootIniEdit.h"

namespace {

struct ArcCase {
    const char* name;
    const char* before;
    bool knownOld;
    ArcPlace from;
    ArcPlace to;
    const char* after;
    unsigned rewritten;
};

const ArcCase kArcCases[] = {
    {"old place moves", "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n", true, {0, 1}, {1, 2},
     "default=multi(0)disk(0)rdisk(1)partition(2)\\WINDOWS\r\n", 1},
    {"every line naming it", "[boot loader]\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
                             "[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\" /fastdetect\r\n",
     true, {0, 1}, {2, 5},
     "[boot loader]\r\ndefault=multi(0)disk(0)rdisk(2)partition(5)\\WINDOWS\r\n"
     "[operating systems]\r\nmulti(0)disk(0)rdisk(2)partition(5)\\WINDOWS=\"XP\" /fastdetect\r\n",
     2},
    {"another system stays", "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"2000\"\r\n", true, {0, 1}, {1, 1},
     "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"2000\"\r\n", 0},
    {"case of the words", "MULTI(0)DISK(0)RDISK(0)PARTITION(1)\\WINDOWS", true, {0, 1}, {0, 3},
     "MULTI(0)DISK(0)rdisk(0)partition(3)\\WINDOWS", 1},
    {"unknown old place: same partition number", "multi(0)disk(0)rdisk(3)partition(2)\\W\r\n"
                                                 "multi(0)disk(0)rdisk(3)partition(1)\\X\r\n",
     false, {0, 0}, {1, 2}, "multi(0)disk(0)rdisk(1)partition(2)\\W\r\nmulti(0)disk(0)rdisk(3)partition(1)\\X\r\n", 1},
    {"broken path untouched", "multi(0)disk(0)rdisk(0)partition(\\WINDOWS rdisk(0)partition(1)", true, {0, 1},
     {1, 1}, "multi(0)disk(0)rdisk(0)partition(\\WINDOWS rdisk(0)partition(1)", 0},
    {"same place changes nothing", "multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS", true, {1, 1}, {1, 1},
     "multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS", 0},
};

TEST(BootIniEdit, RewritesTheArcPathsThatNamedTheOldPlace)
{
    for (const ArcCase& c : kArcCases) {
        std::string text = c.before;
        EXPECT_EQ(c.rewritten, RewriteArcPaths(text, c.knownOld ? &c.from : nullptr, c.to)) << c.name;
        EXPECT_EQ(c.after, text) << c.name;
    }
}

} // namespace
