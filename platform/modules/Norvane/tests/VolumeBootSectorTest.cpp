#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "CNtfsVolume.h"
#include "LittleEndian.h"

namespace {

// A boot sector of a 16 MiB volume with 4 KiB clusters.
std::vector<unsigned char> BootSector()
{
    std::vector<unsigned char> b(512, 0);
    std::memcpy(&b[3], "NTFS    ", 8);
    StoreLE16(&b[11], 512);
    b[13] = 8;
    StoreLE64(&b[40], 32767);
    StoreLE64(&b[48], 1365);
    StoreLE64(&b[56], 2);
    b[64] = 0xF6; // 2^10 bytes per file record
    b[68] = 1;    // one cluster per index block
    StoreLE16(&b[510], 0xAA55);
    return b;
}

TEST(VolumeBootSector, ReadsTheGeometry)
{
    CNtfsVolume volume;
    const std::vector<unsigned char> b = BootSector();
    ASSERT_TRUE(volume.LoadFromBootSector(b.data()));
    EXPECT_EQ(volume.GetSectorsPerCluster(), 8u);
    EXPECT_EQ(volume.GetVolumeTotalSectorNumber(), 32767u);
    EXPECT_EQ(volume.GetVolumeClusterCount(), 4095u);
    EXPECT_EQ(volume.GetMftLcnAddress(), 1365u);
    EXPECT_EQ(volume.GetBytesPerFileRecord(), 1024u);
    EXPECT_EQ(volume.GetSectorsPerFileRecord(), 2u);
    EXPECT_EQ(volume.GetBytesPerIndexBlock(), 4096u);
    EXPECT_EQ(volume.GetSectorAddressFromLCN(3), 24u);
}

TEST(VolumeBootSector, LargeClusterCoding)
{
    std::vector<unsigned char> b = BootSector();
    b[13] = 0xF8; // 2^8 sectors: 128 KiB clusters
    StoreLE64(&b[40], 1 << 20);
    StoreLE64(&b[48], 4);
    b[68] = 0xF4; // 4 KiB index blocks, smaller than a cluster
    CNtfsVolume volume;
    ASSERT_TRUE(volume.LoadFromBootSector(b.data()));
    EXPECT_EQ(volume.GetSectorsPerCluster(), 256u);
}

TEST(VolumeBootSector, RefusesDamagedBootSectors)
{
    struct Case {
        const char* what;
        size_t offset;
        int width;
        uint64_t value;
    } cases[] = {
        {"not NTFS", 3, 1, 'X'},
        {"no end marker", 510, 2, 0},
        {"4096-byte sectors", 11, 2, 4096},
        {"sectors per cluster zero", 13, 1, 0},
        {"sectors per cluster not a power of two", 13, 1, 6},
        {"total sectors zero", 40, 8, 0},
        {"MFT past the volume", 48, 8, 4095},
        {"MFT mirror past the volume", 56, 8, 1u << 30},
        {"file record size zero", 64, 1, 0},
        {"file record size 2^40 bytes", 64, 1, 0xD8},
        {"file record of three clusters", 64, 1, 3},
        {"index block size zero", 68, 1, 0},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> b = BootSector();
        if (c.width == 1)
            b[c.offset] = static_cast<unsigned char>(c.value);
        else if (c.width == 2)
            StoreLE16(&b[c.offset], static_cast<uint16_t>(c.value));
        else
            StoreLE64(&b[c.offset], c.value);
        CNtfsVolume volume;
        EXPECT_FALSE(volume.LoadFromBootSector(b.data())) << c.what;
        EXPECT_FALSE(volume.IsLoaded()) << c.what;
    }
}

} // namespace
