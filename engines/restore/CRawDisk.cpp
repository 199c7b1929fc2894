#include "CRawDisk.h"

#include "IKSDevIO.h"

bool CRawDisk::Open(const char* deviceName)
{
    Close();
    void* object = nullptr;
    if (KSCreateObjectDevIO(KS_DEVIO_VERSION, KS_DEVIO_KIND, &object) != 0 || object == nullptr)
        return false;
    device_ = static_cast<IKSDevIO*>(object);
    if (device_->Open(deviceName) == 0)
        return true;
    Close();
    return false;
}

bool CRawDisk::Read(void* buffer, uint64_t first, unsigned long count)
{
    return device_ != nullptr &&
           device_->Read(static_cast<unsigned long>(first & 0xFFFFFFFFu), static_cast<unsigned long>(first >> 32),
                         count, buffer) == 0;
}

bool CRawDisk::Write(const void* buffer, uint64_t first, unsigned long count)
{
    return device_ != nullptr &&
           device_->Write(static_cast<unsigned long>(first & 0xFFFFFFFFu), static_cast<unsigned long>(first >> 32),
                          count, buffer) == 0;
}

void CRawDisk::Close()
{
    if (device_ == nullptr)
        return;
    device_->Close();
    device_->Release();
    device_ = nullptr;
}
