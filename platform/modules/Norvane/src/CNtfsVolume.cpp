#include "CNtfsVolume.h"

#include <climits>
#include <cstring>

#include "CHardDriveIO.h"
#include "DebugMessage.h"
#include "LittleEndian.h"
#include "NtfsLayout.h"

namespace {

bool IsPowerOfTwo(uint64_t v) { return v != 0 && (v & (v - 1)) == 0; }

// Sizes of file records and index blocks: a positive value counts clusters, a
// negative one is a power of two in bytes. 0 when the coding is out of range.
uint64_t DecodeClustersOrShift(int8_t value, uint64_t bytesPerCluster)
{
    if (value > 0)
        return static_cast<uint64_t>(value) * bytesPerCluster;
    if (value < 0 && value >= -31)
        return uint64_t(1) << (-value);
    return 0;
}

} // namespace

bool CNtfsVolume::LoadNtfsVolume(CHardDriveIO* io, int driveNumber, uint64_t firstSector)
{
    loaded_ = false;
    if (io == nullptr)
        return false;
    unsigned char sector[CHardDriveIO::SECTOR_SIZE];
    if (!io->ReadSector(sector, static_cast<long long>(firstSector), 1)) {
        DebugMessage("Reading the boot sector failed.\n(%s,%d)\n", __FILE__, __LINE__);
        return false;
    }
    if (!LoadFromBootSector(sector))
        return false;
    // The boot sector's size is only a claim: a volume larger than its device would
    // size every later buffer (bitmaps of gigabytes) by sectors that do not exist.
    // The device must hold the volume's last sector.
    loaded_ = false;
    if (firstSector > uint64_t(LLONG_MAX) - totalSectors_ ||
        !io->ReadSector(sector, static_cast<long long>(firstSector + totalSectors_ - 1), 1)) {
        DebugMessage("The volume claims %llu sectors, more than its device holds.\n(%s,%d)\n",
                     static_cast<unsigned long long>(totalSectors_), __FILE__, __LINE__);
        return false;
    }
    loaded_ = true;
    io_ = io;
    driveNumber_ = driveNumber;
    firstSector_ = firstSector;
    return true;
}

bool CNtfsVolume::LoadFromBootSector(const unsigned char* boot)
{
    loaded_ = false;
    if (boot == nullptr || std::memcmp(boot + NTFS_BOOT_OEM_ID, "NTFS    ", 8) != 0 ||
        LoadLE16(boot + NTFS_BOOT_END_MARKER) != 0xAA55)
        return false;
    const uint32_t bytesPerSector = LoadLE16(boot + NTFS_BOOT_BYTES_PER_SECTOR);
    if (bytesPerSector != CHardDriveIO::SECTOR_SIZE) {
        DebugMessage("Only 512-byte sectors are supported (%u).\n", bytesPerSector);
        return false;
    }
    const unsigned spcCode = boot[NTFS_BOOT_SECTORS_PER_CLUSTER];
    uint32_t sectorsPerCluster = 0;
    if (spcCode >= 1 && spcCode <= 0x80 && IsPowerOfTwo(spcCode))
        sectorsPerCluster = spcCode;
    else if (spcCode >= 0xF4) // 2^(256 - code): clusters of up to 2 MiB
        sectorsPerCluster = 1u << (256 - spcCode);
    if (sectorsPerCluster == 0)
        return false;
    const uint64_t bytesPerCluster = uint64_t(bytesPerSector) * sectorsPerCluster;
    const uint64_t totalSectors = LoadLE64(boot + NTFS_BOOT_TOTAL_SECTORS);
    const uint64_t clusterCount = totalSectors / sectorsPerCluster;
    const uint64_t mftLcn = LoadLE64(boot + NTFS_BOOT_MFT_LCN);
    const uint64_t mftMirrLcn = LoadLE64(boot + NTFS_BOOT_MFTMIRR_LCN);
    const uint64_t recordBytes =
        DecodeClustersOrShift(static_cast<int8_t>(boot[NTFS_BOOT_CLUSTERS_PER_RECORD]), bytesPerCluster);
    const uint64_t indexBytes =
        DecodeClustersOrShift(static_cast<int8_t>(boot[NTFS_BOOT_CLUSTERS_PER_INDEX]), bytesPerCluster);
    // Clusters are counted in 48 bits on disk and the volume's bytes must fit a
    // signed 64-bit offset; records and index blocks are whole 512-byte strides of
    // a sensible size.
    if (clusterCount == 0 || clusterCount >= (uint64_t(1) << 48) || totalSectors >= (uint64_t(1) << 54) ||
        mftLcn >= clusterCount ||
        mftMirrLcn >= clusterCount || !IsPowerOfTwo(recordBytes) || recordBytes < 512 || recordBytes > 65536 ||
        !IsPowerOfTwo(indexBytes) || indexBytes < 512 || indexBytes > 65536)
        return false;
    bytesPerSector_ = bytesPerSector;
    sectorsPerCluster_ = sectorsPerCluster;
    totalSectors_ = totalSectors;
    clusterCount_ = clusterCount;
    mftLcn_ = mftLcn;
    mftMirrLcn_ = mftMirrLcn;
    bytesPerFileRecord_ = static_cast<uint32_t>(recordBytes);
    bytesPerIndexBlock_ = static_cast<uint32_t>(indexBytes);
    serial_ = LoadLE64(boot + NTFS_BOOT_SERIAL);
    loaded_ = true;
    return true;
}
