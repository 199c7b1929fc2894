#include "KSVolume.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(VolumeRecord, CodecPutsEveryFieldAtItsOffset)
{
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof v);
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = KS_VOLUME_SIZE;
    v.VolumeNumber = 2;
    v.SectorsPerCluster = 8;
    v.FileSystem = KS_FS_NTFS;
    v.BytesPerSector = 512;
    v.PreVolumeSectors = 63;
    v.TotalSectors = 0x123456789ull;
    v.Label[0] = u'D';
    v.RunIndexOffset = 0xAABBCCDDEEull;
    v.SectorsPerTrack = 63;
    unsigned char bytes[KS_VOLUME_SIZE];
    KSVolumeToBytes(v, bytes);
    EXPECT_EQ(0, memcmp(bytes, "VOLM", 4));
    EXPECT_EQ(LoadLE32(bytes + 4), 256u);
    EXPECT_EQ(LoadLE16(bytes + 8), 2);
    EXPECT_EQ(LoadLE16(bytes + 10), 8);
    EXPECT_EQ(bytes[18], 4);
    EXPECT_EQ(LoadLE32(bytes + 24), 512u);
    EXPECT_EQ(LoadLE16(bytes + 28), 63);
    EXPECT_EQ(LoadLE64(bytes + 48), 0x123456789ull);
    EXPECT_EQ(LoadLE16(bytes + 64), u'D');
    EXPECT_EQ(LoadLE64(bytes + 192), 0xAABBCCDDEEull);
    EXPECT_EQ(LoadLE32(bytes + 244), 63u);

    _KS_VOLUME back;
    KSVolumeFromBytes(bytes, back);
    EXPECT_EQ(0, memcmp(&back, &v, sizeof v));
}
