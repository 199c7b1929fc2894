// The disk enumeration module "Censa": the machine's disks and partitions with their
// geometry, type, file system, drive letter and device path, read from the device
// manager module "Vessmar". Linked as a shared library (Censa, Censa.dll); the one
// object of a process comes from CreateCensaObj and is never released by callers.
#pragma once

#include <string>

#include "KSDiskInfo.h"

// Result kinds of this module (module number 8); callers compare only the kind.
enum : unsigned long {
    KS_ERR_NO_PARTITION = 0x200, // no partition with that index
    KS_ERR_NO_DISK = 0x201,      // no disk with that index
    KS_ERR_NO_MODULE = 0x202,    // the device manager module or its interface is missing
    KS_ERR_NO_MANAGER = 0x203,   // the device manager gave no manager object
    KS_ERR_REFRESH = 0x204,      // the device manager could not open its device tree
};

// Disk and partition indexes count from 0 in the device manager's order. Every
// operation but GetDiskPath and Stop returns a result code.
class ICensa {
public:
    virtual ~ICensa() {}
    // Starts the disk-access service and opens the device tree; 0 at once when done before.
    virtual unsigned long Init() = 0;
    virtual unsigned long GetDiskCount(unsigned long long* count) = 0;
    // Fills the disk's fields; callers hand in a zeroed record.
    virtual unsigned long GetDiskInfo(unsigned long long disk, _KS_DISK_INFO* info) = 0;
    virtual unsigned long GetPartitionCount(unsigned long long disk, unsigned long long* count) = 0;
    // Zeroes and fills the record; hiddenSectors, when not null, receives the hidden
    // sector count too.
    virtual unsigned long GetPartitionInfo(unsigned long long disk, unsigned long long partition,
                                           _KS_PARTITION_INFO* info, unsigned long long* hiddenSectors) = 0;
    // The disk's device name ("\\.\PhysicalDriveN"); empty when there is no such disk.
    virtual std::string GetDiskPath(unsigned long long disk) = 0;
    // Stops the disk-access service; 0 whatever happens.
    virtual unsigned long Stop() = 0;
};

// Censa.dll names its one export in Censa.def; the Linux library hides everything else.
#if defined(_WIN32)
#define KS_CENSA_EXPORT
#else
#define KS_CENSA_EXPORT __attribute__((visibility("default")))
#endif

extern "C" KS_CENSA_EXPORT ICensa* CreateCensaObj();
