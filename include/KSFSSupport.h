// The file-system reader interface. A reader attaches to one volume that it reaches
// only through two sector callbacks, and reports the volume's kind, used-cluster
// bitmap and volume record. Every result code uses module number 9.
#pragma once

#include "KSVolume.h"

// Reads count 512-byte sectors of the volume from the first sector (sector 0 is the
// boot sector) into buffer; returns a result code.
typedef unsigned long (*KS_READ_SECTORS_CALLBACK)(void* context, unsigned long long firstSector,
                                                  unsigned long count, void* buffer);
// Receives metadata sectors with their position on the volume. The mode word: the FAT
// reader passes 1 for its reserved area, FAT copies and fixed root, 0 for directory
// cluster chains; the NTFS reader always passes 0.
typedef unsigned long (*KS_WRITE_SECTORS_CALLBACK)(void* context, unsigned long long firstSector,
                                                   unsigned long count, void* buffer, unsigned long mode);

// No virtual destructor: objects are destroyed by Release.
class IKSFSSupport {
public:
    virtual unsigned long ReadSectors(unsigned long long firstSector, unsigned long count, void* buffer) = 0;
    virtual unsigned long Release() = 0;
    virtual unsigned long InitFileSystem(KS_READ_SECTORS_CALLBACK read, KS_WRITE_SECTORS_CALLBACK write,
                                         void* context) = 0;
    virtual unsigned long GetFileSystem() = 0;
    virtual unsigned long GetBitMap(void* destination, unsigned long long* firstBit, unsigned long* bitCount) = 0;
    virtual unsigned long GetVolumeInfo(_KS_VOLUME* volume) = 0;
    virtual unsigned long WalkThroughVolume(_KS_FILTERS_HEAD* filters) = 0;
    virtual unsigned long WriteSpecialInfo() = 0;
    virtual unsigned long CheckFileSystem() = 0;

protected:
    ~IKSFSSupport() {}
};

extern "C" {
unsigned long KSCreateObjectFsNt(unsigned long version, unsigned long kind, void** out);
unsigned long KSCreateObjectFsFat(unsigned long version, unsigned long kind, void** out);
}
