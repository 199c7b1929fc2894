#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "KSResult.h"
#include "LittleEndian.h"
#include "NtfsFixtures.h"

namespace {

// Takes a 1024-byte file record out of its update-sequence protection and puts it
// back, so that a test can edit any of its bytes.
void Unprotect(unsigned char* record)
{
    const size_t array = LoadLE16(record + 4);
    for (size_t i = 0; i < 2; ++i) {
        record[(i + 1) * 512 - 2] = record[array + 2 + 2 * i];
        record[(i + 1) * 512 - 1] = record[array + 3 + 2 * i];
    }
}
void Protect(unsigned char* record)
{
    const size_t array = LoadLE16(record + 4);
    for (size_t i = 0; i < 2; ++i) {
        record[array + 2 + 2 * i] = record[(i + 1) * 512 - 2];
        record[array + 3 + 2 * i] = record[(i + 1) * 512 - 1];
        record[(i + 1) * 512 - 2] = record[array];
        record[(i + 1) * 512 - 1] = record[array + 1];
    }
}

// On the volume with 64 KiB clusters, $MFT's $BITMAP gets one sparse run of 2^48
// clusters: 2^64 bytes, which 64-bit arithmetic turns into a run of 0 bytes.
// Reading the bitmap through that run must end, and the start fails at the $MFT
// step. The start runs in a child that an alarm ends, so a hang fails the test.
TEST(LongSparseRunFixture, ARunOf2To64BytesEndsTheStartWithTheMftStepsCode)
{
    VolumeImage image;
    std::string volumeFile;
    ASSERT_TRUE(LoadFixture(kNtfsFixtures[2], image, volumeFile));
    unsigned char* volume = image.Volume().data();
    ASSERT_EQ(volume[13], 128) << "64 KiB clusters";
    unsigned char* record = volume + LoadLE64(volume + 48) * 65536;
    Unprotect(record);
    size_t at = LoadLE16(record + 20);
    while (LoadLE32(record + at) != 0xB0) {
        ASSERT_NE(LoadLE32(record + at), 0xFFFFFFFFu) << "$MFT has a $BITMAP";
        at += LoadLE32(record + at + 4);
    }
    ASSERT_EQ(record[at + 8], 1) << "non-resident";
    // The pairs take the initialised size's bytes too: the run and its end need 9.
    StoreLE16(record + at + 32, 56);
    const unsigned char pairs[] = {0x07, 0, 0, 0, 0, 0, 0, 0x01, 0x00};
    std::copy(pairs, pairs + sizeof pairs, record + at + 56);
    StoreLE64(record + at + 24, (uint64_t(1) << 48) - 1);
    Protect(record);

    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            alarm(30);
            unsigned long result = 0;
            IKSFSSupport* reader = OpenReader(image, &result);
            std::exit(reader == nullptr && result == 0x00709005 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
