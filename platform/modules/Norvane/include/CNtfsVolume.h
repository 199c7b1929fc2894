// The geometry of one NTFS volume, read from its boot sector through a raw-disk
// object. The volume keeps a pointer to that object for the classes that read the
// volume after it (it does not own it).
#pragma once

#include <cstdint>

class CHardDriveIO;

class CNtfsVolume {
public:
    // Reads the boot sector at firstSector of the open raw disk and checks it, and
    // that the disk holds the volume's last sector. Only 512-byte sectors are
    // taken. False leaves the volume unloaded.
    bool LoadNtfsVolume(CHardDriveIO* io, int driveNumber, uint64_t firstSector);
    // Checks and takes a boot sector already in memory (512 bytes).
    bool LoadFromBootSector(const unsigned char* bootSector);
    bool IsLoaded() const { return loaded_; }

    CHardDriveIO* GetDriveIO() const { return io_; }
    int GetHardDriveNumber() const { return driveNumber_; }
    uint32_t GetBytesPerSector() const { return bytesPerSector_; }
    uint32_t GetSectorsPerCluster() const { return sectorsPerCluster_; }
    uint32_t GetBytesPerCluster() const { return bytesPerSector_ * sectorsPerCluster_; }
    uint64_t GetVolumeTotalSectorNumber() const { return totalSectors_; }
    // Whole clusters that fit in the volume's sectors.
    uint64_t GetVolumeClusterCount() const { return clusterCount_; }
    uint64_t GetMftLcnAddress() const { return mftLcn_; }
    uint64_t GetMftMirrLcnAddress() const { return mftMirrLcn_; }
    uint32_t GetBytesPerFileRecord() const { return bytesPerFileRecord_; }
    uint32_t GetSectorsPerFileRecord() const { return bytesPerFileRecord_ / bytesPerSector_; }
    uint32_t GetBytesPerIndexBlock() const { return bytesPerIndexBlock_; }
    uint64_t GetSerialNumber() const { return serial_; }
    // The first sector of a cluster, counted from the volume's first sector.
    uint64_t GetSectorAddressFromLCN(uint64_t lcn) const { return firstSector_ + lcn * sectorsPerCluster_; }

private:
    CHardDriveIO* io_ = nullptr;
    int driveNumber_ = -1;
    uint64_t firstSector_ = 0;
    bool loaded_ = false;
    uint32_t bytesPerSector_ = 0;
    uint32_t sectorsPerCluster_ = 0;
    uint64_t totalSectors_ = 0;
    uint64_t clusterCount_ = 0;
    uint64_t mftLcn_ = 0;
    uint64_t mftMirrLcn_ = 0;
    uint32_t bytesPerFileRecord_ = 0;
    uint32_t bytesPerIndexBlock_ = 0;
    uint64_t serial_ = 0;
};
