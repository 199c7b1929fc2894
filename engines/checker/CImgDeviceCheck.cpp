#include "CImgDeviceCheck.h"

#include "CheckResult.h"
#include "ImagePathRules.h"

CImgDeviceCheck::CImgDeviceCheck(IKSCofran* container, const wchar_t* imageFile, const _KS_VOLUME& volume)
    : container_(container), imageFile_(imageFile != nullptr ? imageFile : L""), volume_(volume), closed_(true)
{
}

CImgDeviceCheck::~CImgDeviceCheck()
{
    Close();
}

int CImgDeviceCheck::ReadSector(unsigned char* buffer, long long firstSector, long long count)
{
    if (closed_ || buffer == nullptr || count < 0)
        return 0;
    // The container counts sectors in 32 bits; a longer request cannot be served whole.
    if ((static_cast<unsigned long long>(count) >> 32) != 0)
        return 0;
    unsigned long read = 0;
    const unsigned long rc =
        container_->ReadSector(firstSector, buffer, static_cast<unsigned long>(count), &read, 0);
    return rc == 0 && read == static_cast<unsigned long>(count);
}

int CImgDeviceCheck::WriteSector(unsigned char*, long long, long long)
{
    return 1;
}

int CImgDeviceCheck::Open()
{
    return 0;
}

int CImgDeviceCheck::Open(const wchar_t* password, unsigned long passwordBytes)
{
    if (container_ == nullptr)
        return 0;
    Close();
    const unsigned long mode = ImagePathRules::OnDisc(imageFile_.c_str()) ? (KS_OPEN_DISC_SET | KS_OPEN_RANDOM)
                                                                          : KS_OPEN_RANDOM;
    if (container_->OpenCofran(imageFile_.c_str(), mode, password, passwordBytes) != 0)
        return 0;
    _KS_VOLUME volume = volume_;
    if (container_->OpenVolume(&volume) != 0) {
        container_->CloseCofran();
        return 0;
    }
    closed_ = false;
    return 1;
}

int CImgDeviceCheck::Close()
{
    if (!closed_) {
        container_->CloseVolume();
        container_->CloseCofran();
        closed_ = true;
    }
    return 1;
}

unsigned long CImgDeviceCheck::ReadForReader(void* context, unsigned long long firstSector, unsigned long count,
                                             void* buffer)
{
    CImgDeviceCheck* device = static_cast<CImgDeviceCheck*>(context);
    if (device == nullptr || buffer == nullptr)
        return CheckResult::DeviceReadNullArgument;
    if (!device->ReadSector(static_cast<unsigned char*>(buffer), static_cast<long long>(firstSector), count))
        return CheckResult::DeviceReadFailed;
    return 0;
}

unsigned long CImgDeviceCheck::DiscardForReader(void*, unsigned long long, unsigned long, void*, unsigned long)
{
    return 0;
}
