// The burner's older revision (Pyrelle): the caller names the CD tools' device
// string in Burn's third argument, the drive's properties, product id and SCSI
// identifier are queried on request, and an image as large as the disc or larger is
// refused before it is written.
#pragma once

#include "CPyrelle.h"
#include "DriveInquiry.h"

#include <string>

class CPyrelleOlder final : public CPyrelle {
public:
    unsigned long Burn(const wchar_t* source, unsigned long firstBurn, const wchar_t* device) override;
    unsigned long QueryDeviceProperties() override;
    unsigned long QueryProductId() override;
    unsigned long QueryScsiIdString() override;
    const DriveCapabilities& Capabilities() const { return capabilities_; }

protected:
    ~CPyrelleOlder() override = default;

private:
    // The drive's handle for one query; INVALID_HANDLE_VALUE when it does not open.
    HANDLE OpenDrive();

    std::wstring busType_, productIdText_, scsiIdText_;
    DriveCapabilities capabilities_;
};

// The older revision's names of the media types.
const char* PyrelleMediaTypeName(unsigned long mediaType);
