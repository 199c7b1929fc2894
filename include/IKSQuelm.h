// The snapshot client's interface: reads a live volume as it was when its snapshot
// started, and hands the blocks that are about to change to the caller's callback.
// Result codes carry module number 4. Objects end with Release.
#pragma once

#include <cstdint>

// Receives one preserved block: kind 0 means it was taken; any other result sends it
// to the client's urgent-block store.
typedef unsigned long (*KS_QUELM_BLOCK_CALLBACK)(void* user, unsigned long long firstSector,
                                                 unsigned long count, void* data);

// The used-block bitmap handed to SetVolumeBitmap.
struct KS_QUELM_BITMAP_REGION {
    const void* Bitmap;     // one bit per block, least significant bit first
    uint32_t FirstSector;   // sector covered by bit 0
    uint32_t BitCount;
    uint32_t SectorsPerBit;
};

struct KS_QUELM_DRIVER_INFO {
    uint32_t Value;
    wchar_t Name[128];
};

class IKSQuelm {
public:
    virtual unsigned long Release() = 0;
    virtual unsigned long Open(const wchar_t* volumeName, const wchar_t* tempFolder) = 0;
    virtual unsigned long SetCallBack(void* user, KS_QUELM_BLOCK_CALLBACK callback) = 0;
    virtual unsigned long CreateSnapshot(unsigned long long firstSector, unsigned long long sectorCount,
                                         unsigned long sectorsPerBit) = 0;
    virtual unsigned long Close() = 0;
    virtual unsigned long StartSnapshot() = 0;
    virtual unsigned long SetVolumeBitmap(const KS_QUELM_BITMAP_REGION* region) = 0;
    virtual unsigned long StopSnapshot() = 0;
    virtual unsigned long GetDriverInfo(KS_QUELM_DRIVER_INFO* info) = 0;
    virtual unsigned long SendControl() = 0;
    virtual unsigned long GetLastError() = 0;
    virtual unsigned long ReadSnapshot(unsigned long long firstSector, unsigned long count, void* buffer,
                                       unsigned char flag) = 0;
    virtual unsigned long SaveUrgentBlock(unsigned long long firstSector, unsigned long count, const void* data) = 0;
    virtual unsigned long ReadSectors(unsigned long long firstSector, unsigned long count, void* buffer) = 0;
    virtual unsigned long WriteSectors(unsigned long long firstSector, unsigned long count, const void* data) = 0;

protected:
    ~IKSQuelm() {}
};

enum : unsigned long {
    KS_QUELM_VERSION = 1000,
    KS_QUELM_KIND = 5,
};

extern "C" unsigned long KSCreateObjectQuelm(unsigned long version, unsigned long kind, void** out);
