// "Brasket": copies a FAT16 or FAT32 volume onto a partition of another size,
// resizing it on a sparse temporary copy with libparted's file-system resize before
// the partition is written. Loaded by name as Brasket.mo; its root object answers
// "IBrasketModule".
#pragma once

#include <cstdint>

#include "CCallBackOperate.h"
#include "KSPartitionPlace.h"
#include "MomPtr.h"

// What the copy writes to.
struct KSFatCopyBlock {
    KSPartitionPlace target;        // the target partition
    KSPartitionPlace targetAgain;   // the same partition
    uint32_t reserved0;             // 0
    uint32_t reserved1;             // 0
    uint64_t targetFirstSector;     // becomes the boot sector's hidden-sector count
    uint64_t sourceSectors;         // sectors of the volume as backed up
    KS_OPERATE_CALLBACK callback;
    void* context;
};

// Results besides 0 (success).
enum : unsigned long {
    BRASKET_BAD_ARGUMENT = 1,
    BRASKET_READ_FAILED = 2,
    BRASKET_WRITE_FAILED = 3,
    BRASKET_SIZE_REFUSED = 4,    // libparted cannot resize the volume to that size
    BRASKET_NOT_FAT = 5,         // libparted finds no FAT volume in the copy
    BRASKET_CANCELLED = KS_OPERATE_CANCELLED,
};

class IBrasketModule : public IModule {
public:
    // Copies the FAT volume of source onto block's target partition, filling it.
    virtual unsigned long CopyFatVolume(const KSFatCopyBlock* block, const KSVolumeSource* source) = 0;

protected:
    ~IBrasketModule() {}
};
