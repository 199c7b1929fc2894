#include "CVirtualDevice.h"


int CVirtualDevice::ReadSector(unsigned char* buffer, long long firstSector, long long count)
{
    if (read_ == nullptr || buffer == nullptr || firstSector < 0 || count <= 0 || count > 0xFFFFFFFFll)
        return 0;
    const unsigned long result = read_(context_, static_cast<unsigned long long>(firstSector),
                                       static_cast<unsigned long>(count), buffer);
    return result == 0 ? 1 : 0;
}

int CVirtualDevice::WriteSector(unsigned char*, long long, long long)
{
    return 0;
}
