// A target disk opened through the raw device module (Rawdex) by its device name.
#pragma once

#include <cstdint>

class IKSDevIO;

class CRawDisk {
public:
    CRawDisk() = default;
    ~CRawDisk() { Close(); }
    bool Open(const char* deviceName);
    bool Read(void* buffer, uint64_t first, unsigned long count);
    bool Write(const void* buffer, uint64_t first, unsigned long count);
    void Close();

private:
    CRawDisk(const CRawDisk&) = delete;
    CRawDisk& operator=(const CRawDisk&) = delete;
    IKSDevIO* device_ = nullptr;
};
