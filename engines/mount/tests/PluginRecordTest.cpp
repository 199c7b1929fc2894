#include "PluginRecord.h"

#include "LittleEndian.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

_KS_VOLUME VolumeWith(uint32_t runIndexSize, uint16_t partition, uint8_t drive, uint16_t disk)
{
    _KS_VOLUME volume;
    std::memset(&volume, 0, sizeof volume);
    volume.Magic = KS_VOLUME_MAGIC;
    volume.Size = 256;
    volume.BytesPerSector = 512;
    volume.RunIndexStoredSize = runIndexSize;
    volume.PartitionNumber = partition;
    volume.DriveLetter = drive;
    volume.DiskNumber = disk;
    return volume;
}

TEST(PluginRecord, DiskIdTable)
{
    struct Case {
        uint32_t s;
        uint16_t p;
        uint8_t d;
        uint16_t k;
        unsigned letter;
        uint32_t id;
    } cases[] = {
        {0, 0, 0, 0, 0, 0},
        {0, 0, 0, 0, 5, 5u * 32},
        {1, 2, 3, 4, 6, ((((1u * 16 + 2) * 16 + 3) * 32 + 4) * 32 + 6) * 32},
        // The arithmetic is 32-bit and wraps: S x 2^23 overflows for S of 2^9 and more.
        {0x12345, 1, 2, 3, 25, static_cast<uint32_t>(((((0x12345ull * 16 + 1) * 16 + 2) * 32 + 3) * 32 + 25) * 32)},
        {0xFFFFFFFF, 15, 31, 31, 31, static_cast<uint32_t>(((((0xFFFFFFFFull * 16 + 15) * 16 + 31) * 32 + 31) * 32 + 31) * 32)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MountDiskId(VolumeWith(c.s, c.p, c.d, c.k), c.letter), c.id) << c.s << " " << c.letter;
}

TEST(PluginRecord, DiskSizeIsWholeCylindersLessOneTrack)
{
    const uint64_t cases[][2] = {
        {1, 16002}, {16002, 16002}, {16003, 32067}, {32067, 32067}, {32068, 48132}, {0, 16002},
        {10000000, (10000000 + 63 + 16064) / 16065 * 16065 - 63},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MountDiskSectors(c[0]), c[1]) << c[0];
}

TEST(PluginRecord, BytesAtTheirOffsets)
{
    _KS_VOLUME volume = VolumeWith(7, 2, 3, 1);
    volume.TotalSectors = 16003;
    volume.FileSystem = 4;
    uint8_t record[ZEDISK_PLUGIN_RECORD_SIZE];
    std::memset(record, 0xCC, sizeof record);
    FillPluginRecord(record, volume, 6, L"pw\U0001F600", L"D:\\set\\a.rvd");

    EXPECT_EQ(LoadLE32(record), 912u);
    EXPECT_EQ(LoadLE32(record + 4), MountDiskId(volume, 6));
    EXPECT_EQ(LoadLE32(record + 8), KS_VOLUME_MAGIC);
    EXPECT_EQ(record[24], 6);          // the wanted letter over the volume's drive index
    EXPECT_EQ(record[26], 4);          // the rest of the volume as it was
    EXPECT_EQ(LoadLE64(record + 56), 32067u);
    EXPECT_EQ(LoadLE16(record + 264), u'p');
    EXPECT_EQ(LoadLE16(record + 266), u'w');
    EXPECT_EQ(LoadLE16(record + 268), 0xD83D);   // UTF-16 with a surrogate pair
    EXPECT_EQ(LoadLE16(record + 270), 0xDE00);
    EXPECT_EQ(LoadLE16(record + 272), 0);
    EXPECT_EQ(LoadLE16(record + 392), u'D');
    EXPECT_EQ(LoadLE16(record + 392 + 2 * 12), 0);
    // Everything else is zero.
    for (size_t at = 274; at < 392; ++at)
        ASSERT_EQ(record[at], 0) << at;
    for (size_t at = 392 + 2 * 12; at < 912; ++at)
        ASSERT_EQ(record[at], 0) << at;
}

TEST(PluginRecord, LongTextIsCutWithATerminator)
{
    const _KS_VOLUME volume = VolumeWith(0, 0, 0, 0);
    const std::wstring longPath(400, L'x');
    const std::wstring longPassword(100, L'y');
    uint8_t record[ZEDISK_PLUGIN_RECORD_SIZE];
    FillPluginRecord(record, volume, 0, longPassword.c_str(), longPath.c_str());
    EXPECT_EQ(LoadLE16(record + 264 + 2 * 62), u'y');
    EXPECT_EQ(LoadLE16(record + 264 + 2 * 63), 0);
    EXPECT_EQ(LoadLE16(record + 392 + 2 * 258), u'x');
    EXPECT_EQ(LoadLE16(record + 392 + 2 * 259), 0);
    FillPluginRecord(record, volume, 0, nullptr, L"a");
    EXPECT_EQ(LoadLE16(record + 264), 0);   // no password: an empty string
}

} // namespace
