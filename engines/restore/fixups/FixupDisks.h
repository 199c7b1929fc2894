// The partitions of the target disks as the fix-ups handle them: what the device
// manager ("Vessmar") knows of each and does to it. Tests put doubles behind it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IFixupVolume {
public:
    virtual ~IFixupVolume() {}
    virtual uint64_t Start() = 0;
    virtual uint64_t Sectors() = 0;
    virtual uint64_t Hidden() = 0;
    virtual bool Primary() = 0;
    virtual unsigned TypeId() = 0;
    // The device manager's file-system number (enumFILE_SYSTEM_TYPE).
    virtual unsigned FileSystem() = 0;
    // Sectors read or written (1 on success).
    virtual unsigned long ReadBootSector(unsigned char sector[512]) = 0;
    virtual unsigned long WriteBootSector(const unsigned char sector[512]) = 0;
    // The machine starts from it: active, primary, with a boot record.
    virtual bool IsSystemPartition() = 0;
    // The letter the device manager holds for the partition, and setting it.
    virtual char Letter() = 0;
    virtual unsigned long SetLetter(char letter) = 0;
    // "" when the volume has no mount name.
    virtual std::string MountName() = 0;
    virtual unsigned long Mount() = 0;
    virtual bool IsMounted(char hint) = 0;
    virtual unsigned long Unmount() = 0;
    // Marks the partition active and writes the disk's tables; 0 on success.
    virtual unsigned long MakeActive() = 0;
};

class IFixupDisks {
public:
    virtual ~IFixupDisks() {}
    // Reads the disks, or with rescan reads them again (after the tables changed);
    // false without a device manager. A rescan ends the volumes handed out before.
    virtual bool Open(bool rescan) = 0;
    // The partitions of the disk in table order (free space left out).
    virtual std::vector<IFixupVolume*> Partitions(unsigned disk) = 0;
    virtual bool Geometry(unsigned disk, uint32_t& heads, uint32_t& sectorsPerTrack) = 0;
};

// The device manager's disks (Vessmar, opened by name).
IFixupDisks& VessmarFixupDisks();
