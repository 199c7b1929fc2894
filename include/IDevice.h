// A sector device (512-byte sectors): the NTFS layer's device, the checker's image
// device and the restore engine's devices implement it. Every operation returns
// nonzero for success and 0 for failure.
#pragma once

class IDevice {
public:
    virtual ~IDevice() {}
    virtual int ReadSector(unsigned char* buffer, long long firstSector, long long count) = 0;
    virtual int WriteSector(unsigned char* buffer, long long firstSector, long long count) = 0;
    virtual int Open() = 0;
    virtual int Close() = 0;
};
