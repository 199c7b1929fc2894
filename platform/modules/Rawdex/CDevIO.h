// The raw device object over the disk map: the device name is looked up there and its
// bytes (an image file or a device node) are read and written with pread/pwrite.
#pragma once

#include "IKSDevIO.h"

class CDevIO final : public IKSDevIO {
public:
    CDevIO() = default;
    CDevIO(const CDevIO&) = delete;
    CDevIO& operator=(const CDevIO&) = delete;

    unsigned long Release() override;
    unsigned long Open(const char* deviceName) override;
    unsigned long Close() override;
    unsigned long Read(unsigned long firstLow, unsigned long firstHigh, unsigned long count, void* buffer) override;
    unsigned long Write(unsigned long firstLow, unsigned long firstHigh, unsigned long count,
                        const void* data) override;

private:
    ~CDevIO();
    unsigned long Transfer(unsigned long firstLow, unsigned long firstHigh, unsigned long count, void* buffer,
                           bool write);

    int fd_ = -1;
    bool writable_ = false;
};
