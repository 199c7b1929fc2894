#include "CPyrelleOlder.h"

#include <KSResult.h>

#include "BurnText.h"

const char* PyrelleMediaTypeName(unsigned long mediaType)
{
    static const char* const kNames[] = {"CD-R", "CD-RW", "DVD+R", "DVD+RW", "DVD-R", "DVD-RW", "DVD-RAM"};
    return mediaType < 7 ? kNames[mediaType] : "Nonsupport type";
}

unsigned long CPyrelleOlder::Burn(const wchar_t* source, unsigned long, const wchar_t* device)
{
    const unsigned long mediaType = GetMediaType(0);
    OutputDebugStringA(PyrelleMediaTypeName(mediaType));
    // The image must be smaller than the disc.
    BURN_DISC_INFO info{};
    uint32_t previous = 0, last = 0;
    if (KSSucceeded(Requests().DiscInfo(mediaType, info, previous, last)))
        LimitImages(info.TotalKiB >> 10);
    return BurnWith(source ? BurnNarrow(source) : std::string(), device ? BurnNarrow(device) : std::string());
}

HANDLE CPyrelleOlder::OpenDrive()
{
    return CreateFileW(Requests().DevicePath().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

unsigned long CPyrelleOlder::QueryDeviceProperties()
{
    HANDLE device = OpenDrive();
    if (device == INVALID_HANDLE_VALUE)
        return 0;
    busType_ = DriveBusTypeName(device);
    capabilities_ = DriveCapabilityPage(device);
    CloseHandle(device);
    busTypeName_ = busType_.c_str();
    return 0;
}

unsigned long CPyrelleOlder::QueryProductId()
{
    HANDLE device = OpenDrive();
    if (device == INVALID_HANDLE_VALUE)
        return 0;
    productIdText_ = DriveProductId(device);
    CloseHandle(device);
    productId_ = productIdText_.c_str();
    return 0;
}

unsigned long CPyrelleOlder::QueryScsiIdString()
{
    HANDLE device = OpenDrive();
    if (device == INVALID_HANDLE_VALUE)
        return 0;
    scsiIdText_ = DriveScsiId(device);
    CloseHandle(device);
    productString_ = scsiIdText_.c_str();
    return 0;
}
