// What the restore engine reaches outside itself, gathered so that tests can put
// doubles behind each: the image container's factory, the worker's thread start,
// the Windows fix-ups after a restore, the target disks and the place of the image.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CCallBackOperate.h"
#include "FixupServices.h"
#include "KSPartitionPlace.h"
#include "KSRestoreRecords.h"
#include "KSVolume.h"

class CRestore;
class IBrasketModule;

// A partition of a target disk as the engine needs it.
struct RestorePartition {
    uint64_t start = 0;
    uint64_t sectors = 0;
    uint64_t hidden = 0;
};

// Where a file lies: the disk of the disk map and the stretch of it holding the file.
struct RestoreFilePlace {
    bool onDisk = false;
    unsigned disk = 0;
    uint64_t start = 0;   // first sector of the partition holding the file
    uint64_t sectors = 0; // 0: the whole disk
};

class IRestoreDisks {
public:
    virtual ~IRestoreDisks() {}
    // Partitions of the disk in table order; false when the disk is unknown.
    virtual bool ListPartitions(unsigned disk, std::vector<RestorePartition>& out) = 0;
    // The disk's size in sectors; 0 when unknown.
    virtual uint64_t DiskSectors(unsigned disk) = 0;
    // Where the file of this host path lies among the disks.
    virtual RestoreFilePlace PlaceOfFile(const std::wstring& path) = 0;
    // false when the disk opens but refuses to say it is writable (control 0x70024).
    virtual bool DiskIsOnline(unsigned disk) = 0;
};

struct RestoreServices {
    unsigned long (*createImage)(unsigned long version, unsigned long kind, void** out);
    uintptr_t (*startThread)(void* security, unsigned stackSize, unsigned(__stdcall* entry)(void*), void* argument,
                             unsigned flags, unsigned* threadId);
    // The Windows fix-ups after a partition or a disk run, and the boot.ini update of
    // a run without them (0 on success); what they reach outside the engine.
    unsigned long (*updateSystemForPartOpt)(CRestore& engine, const _KS_RESTORE_OPERATION& operation);
    unsigned long (*updateSystemForDiskOpt)(CRestore& engine);
    unsigned long (*updateBootIni)(CRestore& engine, const _KS_RESTORE_OPERATION& operation);
    FixupServices fixups;
    IRestoreDisks* disks;
    // The copiers of the resize roads: Stretta grows an NTFS volume in place, Mirrane
    // copies one onto a partition of another size, "Brasket" (null when the module is
    // missing) copies a FAT volume onto one.
    unsigned long (*resizeNtfs)(const KSPartitionPlace* target, long long firstSector, long long firstAgain,
                                long long sectorCount, long long sourceStart, KS_OPERATE_CALLBACK callback,
                                void* context);
    unsigned long (*copyNtfs)(const KSPartitionPlace* target, const KSPartitionPlace* targetAgain,
                              KS_OPERATE_CALLBACK callback, void* context, const KSVolumeSource* source);
    IBrasketModule* (*openFatCopier)();
    // The index the per-volume reader knows a live partition by (the disk enumeration
    // module's, where free stretches count too), found by its first sector; -1 when
    // the disk holds no partition starting there.
    long (*livePartitionIndex)(unsigned disk, uint64_t firstSector);
};

// The services of a real run: the container, _beginthreadex, the Windows fix-ups,
// the disks of the disk map and the copiers.
RestoreServices DefaultRestoreServices();
