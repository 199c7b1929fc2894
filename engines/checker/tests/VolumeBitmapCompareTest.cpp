#include <gtest/gtest.h>

#include <vector>

#include "CheckResult.h"
#include "VolumeBitmapCompare.h"

namespace {

struct CompareCase {
    const char* what;
    std::vector<uint8_t> fs;
    std::vector<uint8_t> image;
    uint64_t bits;
    unsigned long expected;
};

} // namespace

TEST(VolumeBitmapCompare, EveryUsedClusterMustBeInTheImage)
{
    const CompareCase cases[] = {
        {"equal", {0xFF, 0x0F}, {0xFF, 0x0F}, 16, 0},
        {"image holds more", {0x01, 0x00}, {0xFF, 0xFF}, 16, 0},
        {"cluster missing", {0x81, 0x00}, {0x01, 0x00}, 16, CheckResult::BitmapMismatch},
        // A missing cluster in a byte that is numerically smaller than the image's.
        {"missing under a smaller byte", {0x01}, {0x02}, 8, CheckResult::BitmapMismatch},
        {"missing in the second byte", {0x00, 0x10}, {0xFF, 0x0F}, 16, CheckResult::BitmapMismatch},
        {"last bits missing", {0xFF, 0x08}, {0xFF, 0x00}, 12, CheckResult::BitmapLastByteMismatch},
        {"bits past the count ignored", {0xFF, 0xF0}, {0xFF, 0x0F}, 12, 0},
        {"image bitmap too short", {0xFF, 0x01}, {0xFF}, 16, CheckResult::BitmapMismatch},
        {"count beyond the fs bitmap", {0x01}, {0x01}, 64, 0},
        {"nothing used", {0x00, 0x00}, {}, 16, 0},
    };
    for (const CompareCase& c : cases)
        EXPECT_EQ(c.expected, CompareVolumeBitmaps(c.fs.data(), c.fs.size(), c.image.data(), c.image.size(), c.bits))
            << c.what;
}

TEST(VolumeBitmapCompare, FullImageBitmapIgnoresTheLastByte)
{
    const std::vector<uint8_t> full = {0xFF, 0xFF, 0x03};
    const std::vector<uint8_t> gap = {0xFF, 0xFE, 0xFF};
    const std::vector<uint8_t> single = {0x00};
    EXPECT_TRUE(ImageBitmapIsFull(full.data(), full.size()));
    EXPECT_FALSE(ImageBitmapIsFull(gap.data(), gap.size()));
    EXPECT_TRUE(ImageBitmapIsFull(single.data(), single.size()));
}
