// The per-volume backup reader: one partition of one disk during a backup. It builds
// the volume record, attaches a file-system reader for the used-cluster bitmap and
// copies the volume through a write callback of its creator. Result codes carry
// module number 4. Objects end with Release.
#pragma once

#include "KSBackupRecords.h"
#include "KSVolume.h"

// Receives the volume's data. firstSector is relative to the volume (the sectors
// before it arrive as firstSector - 63, wrapped). The low 29 bits of mode: 0 whole
// clusters of the data area, non-zero single sectors; the top three bits
// (KS_VOLUME_WRITE_PRESERVED) mark a block that the snapshot client preserved.
typedef unsigned long (*KS_VOLUME_WRITE_CALLBACK)(void* context, unsigned long long firstSector,
                                                  unsigned long count, void* buffer, unsigned long mode);
// Reports a step: state (2 preparing, 8 file-system data, 6 data by bitmap), bytes
// copied by this call (all ones: none) and the item's percent (all ones: unchanged).
// A result of kind 0x059 stops the reader.
typedef unsigned long (*KS_VOLUME_PROGRESS_CALLBACK)(void* context, unsigned long state,
                                                     unsigned long long bytes, unsigned long itemPercent);

enum : unsigned long {
    KS_VOLUME_WRITE_CLUSTERS = 0,
    KS_VOLUME_WRITE_SECTORS = 1,
    KS_VOLUME_WRITE_PRESERVED = 0xE0000000,
    KS_VOLUME_WRITE_MODE_MASK = 0x1FFFFFFF,
};

enum : unsigned long {
    KS_VOLUME_STATE_PREPARING = 2,
    KS_VOLUME_STATE_BITMAP = 6,
    KS_VOLUME_STATE_FILE_SYSTEM = 8,
};

class IKSVolume {
public:
    virtual unsigned long Release() = 0;
    virtual unsigned long GetCancel() = 0;
    virtual unsigned long SetCancel(unsigned long flag) = 0;
    virtual _KS_VOLUME* GetVolumeInfo() = 0;
    virtual unsigned long InitVolume(_KS_VOLUME_ITEM item, const wchar_t* tempFolder) = 0;
    virtual unsigned long PrepareVolume(unsigned long force) = 0;
    virtual unsigned long ReadSectors(unsigned long long firstSector, unsigned long count, void* buffer) = 0;
    virtual unsigned long CallBack(unsigned long long firstSector, unsigned long count, void* buffer,
                                   unsigned long mode) = 0;
    virtual unsigned long ReadVolumeSectors(unsigned long long firstSector, unsigned long count, void* buffer,
                                            unsigned long mode) = 0;

protected:
    ~IKSVolume() {}
};

enum : unsigned long {
    KS_HOT_VOLUME_KIND = 192,
};

extern "C" unsigned long KSCreateObjHotVolume(unsigned long version, unsigned long kind, void** out);
