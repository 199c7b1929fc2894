// Byte counts as the console shows them, at the unit bounds.
#include "RecoveryEnv.h"

#include <gtest/gtest.h>

TEST(FileSizeString, UnitBounds)
{
    struct Case {
        long long bytes;
        const char* text;
    } cases[] = {
        {0, "0.00 KB"},
        {-2048, "-2.00 KB"},
        {1536, "1.50 KB"},
        {1048575, "1024.00 KB"},
        {1048576, "1.00 MB"},
        {1073741823, "1024.00 MB"},
        {1073741824, "1.00 GB"},
        {5LL * 1073741824 + 536870912, "5.50 GB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetFileSizeString(c.bytes), c.text) << c.bytes;
}
