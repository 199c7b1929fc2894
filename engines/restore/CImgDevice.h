// One volume of an image set as a sector device, for the copiers that take a source
// device. It never writes.
#pragma once

#include "IDevice.h"
#include "IKSCofran.h"
#include "KSVolume.h"

class CRestore;

class CImgDevice : public IDevice {
public:
    // The image object stays the caller's; engine gives the password.
    CImgDevice(_KS_VOLUME* volume, IKSCofran* image, const wchar_t* path, const CRestore& engine);
    ~CImgDevice() override;
    int ReadSector(unsigned char* buffer, long long firstSector, long long count) override;
    int WriteSector(unsigned char* buffer, long long firstSector, long long count) override;
    int Open() override;
    int Close() override;
    // The image's code for the first read that failed since Open (0: none), such as
    // a block whose CRC-64 does not match: what a copier's read failure comes from.
    unsigned long ReadFailure() const { return readFailure_; }

private:
    _KS_VOLUME* volume_;
    IKSCofran* image_;
    wchar_t path_[272] = {};
    const CRestore& engine_;
    int closed_ = 1;
    unsigned long readFailure_ = 0;
};
