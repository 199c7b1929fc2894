// The sector device that the NTFS layer reads the volume through: the caller's
// read callback and context. It never writes.
#pragma once

#include "IDevice.h"
#include "KSFSSupport.h"

class CVirtualDevice : public IDevice {
public:
    CVirtualDevice(KS_READ_SECTORS_CALLBACK read, void* context) : read_(read), context_(context) {}

    // True exactly when the callback returns success. The callback takes a 32-bit
    // count, so larger counts (and negative arguments) are refused rather than cut.
    int ReadSector(unsigned char* buffer, long long firstSector, long long count) override;
    int WriteSector(unsigned char* buffer, long long firstSector, long long count) override;
    int Open() override { return 1; }
    int Close() override { return 1; }

private:
    KS_READ_SECTORS_CALLBACK read_;
    void* context_;
};
