// The image lists' plain parts: the date line's time format, the bounded wide path,
// the volume rows' texts and the grouping of volumes by disk.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CCofranInfo.h"
#include "ImagePath.h"
#include "ImageVolumeRows.h"

namespace {

int64_t TimeOf(uint16_t year, int month, int day, int hour, int minute, int second)
{
    _KS_TIME_STAMP stamp{year, static_cast<uint8_t>(month), static_cast<uint8_t>(day), static_cast<uint8_t>(hour),
                         static_cast<uint8_t>(minute), static_cast<uint8_t>(second), 5};
    int64_t time = 0;
    std::memcpy(&time, &stamp, sizeof time);
    return time;
}

_KS_VOLUME Volume(uint16_t disk, uint16_t partition, uint8_t code, uint8_t type, uint8_t flags, uint64_t total,
                  uint64_t used)
{
    _KS_VOLUME v{};
    v.DiskNumber = disk;
    v.PartitionNumber = partition;
    v.FileSystem = code;
    v.PartitionType = type;
    v.Flags = flags;
    v.TotalSectors = total;
    v.UsedSectors = used;
    return v;
}

} // namespace

TEST(GetTimeString, MonthDayYearThenTheClock)
{
    EXPECT_EQ("03-04-2011 05:06:07", GetTimeString(TimeOf(2011, 3, 4, 5, 6, 7)));
    EXPECT_EQ("12-31-1999 23:59:59", GetTimeString(TimeOf(1999, 12, 31, 23, 59, 59)));
    EXPECT_EQ("00-00-0000 00:00:00", GetTimeString(0));
}

TEST(WidePathFor, CutsALongPathAtTheBufferAndEndsIt)
{
    const std::string shortPath = "/sets/VIEWS.RVD";
    std::vector<wchar_t> wide = WidePathFor(shortPath.c_str(), 520);
    ASSERT_EQ(520u, wide.size());
    EXPECT_EQ(std::wstring(L"/sets/VIEWS.RVD"), std::wstring(wide.data()));

    // Longer than the buffer: cut to 519 characters, the last element still zero.
    const std::string longPath(700, 'a');
    wide = WidePathFor(longPath.c_str(), 520);
    ASSERT_EQ(520u, wide.size());
    EXPECT_EQ(519u, std::wcslen(wide.data()));
    EXPECT_EQ(L'\0', wide.back());
    wide = WidePathFor(longPath.c_str(), 272);
    EXPECT_EQ(271u, std::wcslen(wide.data()));

    // Bytes the C locale cannot read come through one by one.
    wide = WidePathFor("/m\xE9/x", 16);
    EXPECT_EQ(std::wstring(L"/m\u00E9/x"), std::wstring(wide.data()));
    EXPECT_EQ(std::wstring(), std::wstring(WidePathFor(nullptr, 16).data()));
}

TEST(ImageVolumeRowTexts, TypesSizesFlagsAndTheNegativeRemainder)
{
    struct Case {
        _KS_VOLUME volume;
        bool restoreList;
        const char* type;
        const char* size;
        const char* unused;
        const char* status;
        const char* priLog;
    };
    const Case cases[] = {
        {Volume(0, 1, 2, 0x06, 0x21, 32768, 2048), true, "FAT16", "16.00 MB", "15.00 MB", "Active", "Primary"},
        {Volume(0, 3, 4, 0x07, 0x20, 32768, 4096), true, "NTFS", "16.00 MB", "14.00 MB", "None", "Primary"},
        {Volume(0, 6, 3, 0x0C, 0x00, 69632, 1024), false, "FAT32", "34.00 MB", "33.50 MB", "None", "Logical"},
        {Volume(0, 6, 1, 0x01, 0x00, 2048, 2048), false, "FAT12", "1.00 MB", "0.00 KB", "None", "Logical"},
        // An unknown code maps to "other": a known type id reads "Unformatted".
        {Volume(2, 1, 0x77, 0x06, 0x00, 2048, 0), true, "Unformatted", "1.00 MB", "1.00 MB", "None", "Logical"},
        // More used than total: the restore list writes its own zero, the check list what
        // the subtraction gives.
        {Volume(0, 1, 2, 0x06, 0x00, 100, 200), true, "FAT16", "50.00 KB", "0.00KB", "None", "Logical"},
        {Volume(0, 1, 2, 0x06, 0x00, 100, 200), false, "FAT16", "50.00 KB", "-50.00 KB", "None", "Logical"},
    };
    for (const Case& c : cases) {
        const VolumeRowTexts t = ImageVolumeRowTexts(c.volume, c.restoreList);
        SCOPED_TRACE(c.type);
        EXPECT_EQ(c.type, t.type);
        EXPECT_EQ(c.size, t.size);
        EXPECT_EQ(c.unused, t.unused);
        EXPECT_EQ(c.status, t.status);
        EXPECT_EQ(c.priLog, t.priLog);
    }
}

TEST(GroupImageVolumes, DisksThatCarryVolumesInArrayOrder)
{
    const std::vector<_KS_VOLUME> volumes = {Volume(2, 1, 2, 6, 0, 1, 0), Volume(0, 1, 2, 6, 0, 1, 0),
                                             Volume(0, 3, 4, 7, 0, 1, 0), Volume(2, 5, 2, 6, 0, 1, 0),
                                             Volume(0, 6, 3, 12, 0, 1, 0)};
    const std::vector<ImageDiskVolumes> groups = GroupImageVolumes(volumes);
    ASSERT_EQ(2u, groups.size());
    EXPECT_EQ(0, groups[0].disk);
    EXPECT_EQ((std::vector<size_t>{1, 2, 4}), groups[0].records);
    EXPECT_EQ(2, groups[1].disk);
    EXPECT_EQ((std::vector<size_t>{0, 3}), groups[1].records);
    EXPECT_TRUE(GroupImageVolumes({}).empty());
}

TEST(MbrRowPartition, NoVolumeCanCarryIt)
{
    // A volume's partition number is 16 bits wide: the row's number lies beyond them.
    EXPECT_GT(kMbrRowPartition, 0xFFFF);
}
