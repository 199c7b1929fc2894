// The snapshot client until the snapshot driver's client exists: every object fails
// Open with kind 0x10F (no driver), so a reader goes on without a snapshot.
#pragma once

#include "IKSQuelm.h"

class CQuelmUnavailable final : public IKSQuelm {
public:
    unsigned long Release() override;
    unsigned long Open(const wchar_t* volumeName, const wchar_t* tempFolder) override;
    unsigned long SetCallBack(void* user, KS_QUELM_BLOCK_CALLBACK callback) override;
    unsigned long CreateSnapshot(unsigned long long firstSector, unsigned long long sectorCount,
                                 unsigned long sectorsPerBit) override;
    unsigned long Close() override;
    unsigned long StartSnapshot() override;
    unsigned long SetVolumeBitmap(const KS_QUELM_BITMAP_REGION* region) override;
    unsigned long StopSnapshot() override;
    unsigned long GetDriverInfo(KS_QUELM_DRIVER_INFO* info) override;
    unsigned long SendControl() override;
    unsigned long GetLastError() override;
    unsigned long ReadSnapshot(unsigned long long firstSector, unsigned long count, void* buffer,
                               unsigned char flag) override;
    unsigned long SaveUrgentBlock(unsigned long long firstSector, unsigned long count, const void* data) override;
    unsigned long ReadSectors(unsigned long long firstSector, unsigned long count, void* buffer) override;
    unsigned long WriteSectors(unsigned long long firstSector, unsigned long count, const void* data) override;

private:
    unsigned long NotOpen();
    unsigned long last_ = 0;
};
