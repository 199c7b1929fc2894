// Raw device access (the outside module Rawdex): one object reads and writes 512-byte
// sectors of one disk opened by its device name ("\\.\PhysicalDriveN").
#pragma once

class IKSDevIO {
public:
    virtual unsigned long Release() = 0;
    // 0 on success; the device's error otherwise. A second Open closes the first device.
    virtual unsigned long Open(const char* deviceName) = 0;
    virtual unsigned long Close() = 0;
    // Whole sectors or a failure: a short read (past the disk's end) fails.
    virtual unsigned long Read(unsigned long firstLow, unsigned long firstHigh, unsigned long count, void* buffer) = 0;
    virtual unsigned long Write(unsigned long firstLow, unsigned long firstHigh, unsigned long count,
                                const void* data) = 0;

protected:
    ~IKSDevIO() {}
};

enum : unsigned long {
    KS_DEVIO_VERSION = 1000,
    KS_DEVIO_KIND = 6,
    KS_DEVIO_SECTOR = 512,
};

extern "C" unsigned long KSCreateObjectDevIO(unsigned long version, unsigned long kind, void** out);
