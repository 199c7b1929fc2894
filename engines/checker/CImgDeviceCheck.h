// One volume of an open image set as a read-only sector device, so that a
// file-system reader can mount the file system the image holds. Writes are
// accepted and dropped: the readers never write, and nothing may reach the image.
#pragma once

#include <string>

#include "IDevice.h"
#include "IKSCofran.h"

class CImgDeviceCheck : public IDevice {
public:
    // The container is borrowed; it must not be used for anything else while the
    // device is open.
    CImgDeviceCheck(IKSCofran* container, const wchar_t* imageFile, const _KS_VOLUME& volume);
    ~CImgDeviceCheck() override;

    int ReadSector(unsigned char* buffer, long long firstSector, long long count) override;
    int WriteSector(unsigned char* buffer, long long firstSector, long long count) override;
    // The device needs the set's password; use the other Open.
    int Open() override;
    // Opens the image file for random reading (on a disc set with disc switching)
    // and the volume in it; passwordBytes is the password's length in bytes.
    int Open(const wchar_t* password, unsigned long passwordBytes);
    int Close() override;

    // The sector callback the file-system readers read through; context is the device.
    static unsigned long ReadForReader(void* context, unsigned long long firstSector, unsigned long count,
                                       void* buffer);
    // Metadata the readers hand out is not needed for a check.
    static unsigned long DiscardForReader(void* context, unsigned long long firstSector, unsigned long count,
                                          void* buffer, unsigned long mode);

private:
    IKSCofran* container_;
    std::wstring imageFile_;
    _KS_VOLUME volume_;
    bool closed_;
};
